#include "NoticeBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace norvale {

NoticeBar::NoticeBar(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("frmNotice"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("lblNotice"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::RichText);
    m_text->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_text->setOpenExternalLinks(false);
    layout->addWidget(m_text, 1);
    m_close = new QPushButton(QStringLiteral("&Close"), this);
    m_close->setObjectName(QStringLiteral("btnCloseNotice"));
    layout->addWidget(m_close, 0, Qt::AlignTop);
    connect(m_text, &QLabel::linkActivated, this, &NoticeBar::linkActivated);
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void NoticeBar::showNotice(const QString& text, const QString& address, std::function<void()> seen)
{
    QString html = text.toHtmlEscaped();
    if (!address.isEmpty())
        html += QStringLiteral(" &nbsp;<a href=\"%1\">Open the download page</a>")
                    .arg(address.toHtmlEscaped());
    m_text->setText(html);
    m_seen = std::move(seen);
    show();
}

// A bar shown in a hidden window is not seen yet: the window's own show
// brings this event again.
void NoticeBar::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    if (window()->isVisible() && m_seen)
        std::exchange(m_seen, nullptr)();
}

} // namespace norvale
