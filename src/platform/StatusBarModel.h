#pragma once

#include <QObject>
#include <QStringList>

namespace norvale {

// The status bar's panels, counted from 1 as the program addresses them.
class StatusBarModel : public QObject {
    Q_OBJECT
public:
    explicit StatusBarModel(int panelCount = 2, QObject* parent = nullptr);

    int panelCount() const { return static_cast<int>(m_texts.size()); }
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString& text);

    // A run's progress: done of total; a total of 0 hides it.
    void setProgress(int done, int total);

    // A passing message shown over the panels for timeoutMs (0: until the
    // next one).
    void showMessage(const QString& text, int timeoutMs);

Q_SIGNALS:
    void panelChanged(int panel, const QString& text);
    void progressChanged(int done, int total);
    void messageShown(const QString& text, int timeoutMs);

private:
    QStringList m_texts;
};

} // namespace norvale
