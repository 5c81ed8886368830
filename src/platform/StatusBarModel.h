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

Q_SIGNALS:
    void panelChanged(int panel, const QString& text);

private:
    QStringList m_texts;
};

} // namespace norvale
