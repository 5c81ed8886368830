#include "AboutDialog.h"

#include "platform/DialogFlags.h"

#include "NorvaleLogo.h"
#include "platform/Clock.h"
#include "platform/UrlOpener.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace norvale {

AboutDialog::AboutDialog(const Clock& clock, UrlOpener* opener, QWidget* parent,
                         const ProgramVersion& version)
    : QDialog(parent)
    , m_texts(MakeAboutTexts(version, clock.now().date().year()))
    , m_opener(opener)
    , m_logo(new QLabel(this))
    , m_title(new QLabel(m_texts.title, this))
    , m_copyright(new QLabel(m_texts.copyright, this))
    , m_address(new QLabel(m_texts.address, this))
    , m_credit(new QLabel(m_texts.credit, this))
    , m_ok(new QPushButton(QStringLiteral("&OK"), this))
{
    setWindowFlags(kDialogFlags);
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(m_texts.caption);

    m_logo->setObjectName(QStringLiteral("Image1"));
    m_logo->setPixmap(DrawNorvaleLogo(64));
    m_logo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    m_title->setFont(titleFont);

    m_copyright->setObjectName(QStringLiteral("Label2"));

    m_address->setObjectName(QStringLiteral("txtURL"));
    m_address->setCursor(Qt::PointingHandCursor);
    m_address->setToolTip(m_texts.address);
    QFont linkFont = m_address->font();
    linkFont.setUnderline(true);
    m_address->setFont(linkFont);
    QPalette linkPalette = m_address->palette();
    linkPalette.setColor(QPalette::WindowText, linkPalette.color(QPalette::Link));
    m_address->setPalette(linkPalette);
    m_address->installEventFilter(this);

    m_credit->setObjectName(QStringLiteral("Label1"));
    m_credit->setWordWrap(true);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* texts = new QVBoxLayout(frame);
    texts->addWidget(m_title);
    texts->addWidget(m_copyright);
    texts->addWidget(m_address, 0, Qt::AlignLeft);
    texts->addSpacing(8);
    texts->addWidget(m_credit);
    texts->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(m_logo, 0, Qt::AlignTop);
    top->addWidget(frame, 1);

    m_ok->setObjectName(QStringLiteral("btnOk"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

void AboutDialog::openMakerSite()
{
    if (m_opener)
        m_opener->open(m_texts.address);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_address && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        openMakerSite();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace norvale
