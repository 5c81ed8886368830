#pragma once

#include <functional>
#include <QFrame>

class QLabel;
class QPushButton;

namespace norvale {

// A notice that must be read (news of an update): a bar above the tree with
// the text, a link and a Close button. It waits for the user and blocks
// nothing; it tells its owner once it was on screen.
class NoticeBar : public QFrame {
    Q_OBJECT
public:
    explicit NoticeBar(QWidget* parent = nullptr);

    // Shows text with a link to address (none when empty); seen runs once,
    // the first time the bar is on screen.
    void showNotice(const QString& text, const QString& address, std::function<void()> seen);

    QLabel* textLabel() const { return m_text; }
    QPushButton* closeButton() const { return m_close; }

Q_SIGNALS:
    void linkActivated(const QString& address);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_text;
    QPushButton* m_close;
    std::function<void()> m_seen;
};

} // namespace norvale
