#include "OptionsDialog.h"

#include "platform/DialogFlags.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace norvale {

namespace {

const QString kWaitTimeTip =
    QStringLiteral("How long to wait for a web server's reply before a favorite counts as "
                   "not answering");
const QString kNameChangeTip =
    QStringLiteral("Rename a favorite to the title of its web page when the two differ");

// The labels under a wait-time slider, each centred under its value. The
// widget sits right under the slider and has the slider's width.
class SliderScale : public QWidget {
public:
    SliderScale(QSlider* slider, int index, QWidget* parent)
        : QWidget(parent)
        , m_slider(slider)
    {
        const std::pair<int, QString> marks[] = {
            {500, QStringLiteral(".5 sec")},
            {1000, QStringLiteral("1 sec")},
            {2000, QStringLiteral("2 sec")},
        };
        int n = 0;
        for (const auto& [value, caption] : marks) {
            auto* label = new QLabel(caption, this);
            label->setObjectName(QStringLiteral("lblScale%1_%2").arg(index).arg(n++));
            m_labels.emplace_back(value, label);
        }
        setMinimumHeight(fontMetrics().height() + 2);
    }

    QSize sizeHint() const override { return {0, fontMetrics().height() + 2}; }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        place();
    }
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        place();
    }

private:
    void place()
    {
        const int handle =
            m_slider->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, m_slider);
        const int span = std::max(0, width() - handle);
        for (const auto& [value, label] : m_labels) {
            label->adjustSize();
            const int centre =
                handle / 2 + QStyle::sliderPositionFromValue(m_slider->minimum(),
                                                             m_slider->maximum(), value, span);
            const int left =
                std::clamp(centre - label->width() / 2, 0, std::max(0, width() - label->width()));
            label->move(left, 0);
        }
    }

    QSlider* m_slider;
    std::vector<std::pair<int, QLabel*>> m_labels;
};

QString arrayName(const QString& name, int index)
{
    return name.back().isDigit() ? QStringLiteral("%1_%2").arg(name).arg(index)
                                 : name + QString::number(index);
}

} // namespace

OptionsDialog::OptionsDialog(OptionsForm& form, QWidget* parent)
    : QDialog(parent)
    , m_form(form)
{
    setWindowFlags(kDialogFlags);
    setObjectName(QStringLiteral("frmOptions"));
    setModal(true);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PrefTab"));
    m_tabs->addTab(buildDefaultsPage(), QStringLiteral("Defaults"));
    m_tabs->addTab(buildPropertiesPage(), QStringLiteral("Properties"));
    m_tabs->addTab(buildScanningPage(), QStringLiteral("Scanning"));
    m_tabs->addTab(buildProxyPage(), QStringLiteral("Proxy"));

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(addButton(OptionsButton::OK, QStringLiteral("&OK"), this));
    buttonRow->addWidget(addButton(OptionsButton::Cancel, QStringLiteral("&Cancel"), this));
    button(OptionsButton::OK)->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttonRow);
    refresh();
}

QCheckBox* OptionsDialog::addCheck(Check box, const QString& name, const QString& caption,
                                   QWidget* parent, const QString& toolTip)
{
    auto* widget = new QCheckBox(caption, parent);
    widget->setObjectName(name);
    if (!toolTip.isEmpty())
        widget->setToolTip(toolTip);
    m_checks[static_cast<size_t>(box)] = widget;
    connect(widget, &QCheckBox::clicked, this, [this, box](bool checked) {
        m_form.ClickCheck(box, checked);
        refresh();
    });
    return widget;
}

QLineEdit* OptionsDialog::addText(TextBox box, const QString& name, QWidget* parent)
{
    auto* widget = new QLineEdit(parent);
    widget->setObjectName(name);
    m_texts[static_cast<size_t>(box)] = widget;
    connect(widget, &QLineEdit::textEdited, this,
            [this, box](const QString& text) { m_form.setText(box, text); });
    return widget;
}

QPushButton* OptionsDialog::addButton(OptionsButton which, const QString& caption, QWidget* parent)
{
    auto* widget = new QPushButton(caption, parent);
    widget->setObjectName(arrayName(QStringLiteral("btnButtons"), static_cast<int>(which)));
    widget->setAutoDefault(false);
    m_buttons[static_cast<size_t>(which)] = widget;
    connect(widget, &QPushButton::clicked, this, [this, which] { press(which); });
    return widget;
}

QWidget* OptionsDialog::buildWaitTimeFrame(int index, QWidget* parent)
{
    auto* frame = new QGroupBox(QStringLiteral("Wait Time"), parent);
    frame->setObjectName(arrayName(QStringLiteral("Frame1"), index));
    frame->setToolTip(kWaitTimeTip);
    auto* slider = new QSlider(Qt::Horizontal, frame);
    slider->setObjectName(arrayName(QStringLiteral("TimeoutSlider"), index));
    slider->setRange(kTimeoutSliderMinimum, kTimeoutSliderMaximum);
    slider->setSingleStep(50);
    slider->setPageStep(250);
    slider->setTickInterval(250);
    slider->setTickPosition(QSlider::TicksBelow);
    m_sliders[static_cast<size_t>(index)] = slider;
    connect(slider, &QSlider::valueChanged, this,
            [this, index](int value) { m_form.SetTimeoutSlider(index, value); });
    auto* layout = new QVBoxLayout(frame);
    layout->setSpacing(0);
    layout->addWidget(slider);
    layout->addWidget(new SliderScale(slider, index, frame));
    return frame;
}

QWidget* OptionsDialog::buildDefaultsPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(addCheck(Check::AddToIE, QStringLiteral("chkAddToIE"),
                               QStringLiteral("Add Norvale to IE Tools Menu"), page));
    layout->addWidget(addCheck(Check::AddToToolbar, QStringLiteral("chkAddToToolbar"),
                               QStringLiteral("Add Norvale to IE Toolbar"), page));
    layout->addWidget(addCheck(Check::AutoCheck, QStringLiteral("chkAutoCheck"),
                               QStringLiteral("Automatically Check for Updates"), page));
    layout->addStretch(1);
    return page;
}

QWidget* OptionsDialog::buildPropertiesPage()
{
    auto* page = new QWidget;
    auto* link = new QGroupBox(QStringLiteral("Link"), page);
    link->setObjectName(QStringLiteral("Frame2"));
    link->setToolTip(QStringLiteral("The current name of this Favorite"));
    auto* linkLayout = new QVBoxLayout(link);
    linkLayout->addWidget(addText(TextBox::Link, QStringLiteral("txtLink"), link));
    linkLayout->addWidget(addText(TextBox::URL, QStringLiteral("txtURL"), link));

    auto* defaultRow = new QHBoxLayout;
    defaultRow->addStretch(1);
    defaultRow->addWidget(addButton(OptionsButton::Default, QStringLiteral("&Default"), page));
    button(OptionsButton::Default)->setToolTip(QStringLiteral("Use Default Settings"));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(link);
    layout->addWidget(buildWaitTimeFrame(1, page));
    layout->addWidget(addCheck(Check::NameChange1, QStringLiteral("chkNameChange1"),
                               QStringLiteral("Change Favorite's Names if Different"), page,
                               kNameChangeTip));
    layout->addWidget(addCheck(Check::NewPage1, QStringLiteral("chkNewPage1"),
                               QStringLiteral("Show if Web Page was Updated"), page));
    layout->addWidget(addCheck(Check::DontCheck, QStringLiteral("chkDontCheck"),
                               QStringLiteral("Do Not Check This Favorite"), page,
                               QStringLiteral("Do not check this favorite")));
    layout->addStretch(1);
    layout->addLayout(defaultRow);
    return page;
}

QWidget* OptionsDialog::buildScanningPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(buildWaitTimeFrame(0, page));
    layout->addWidget(addCheck(Check::NameChange0, QStringLiteral("chkNameChange0"),
                               QStringLiteral("Change Favorite's Names if Different"), page,
                               kNameChangeTip));
    layout->addWidget(
        addCheck(Check::PreserveIcons, QStringLiteral("chkPreserveIcons"),
                 QStringLiteral("Preserve Icons"), page,
                 QStringLiteral(
                     "Keep icons in Favorites List even when clearing Temporary Internet Files")));
    layout->addWidget(addCheck(Check::SmallLights, QStringLiteral("chkSmallLights"),
                               QStringLiteral("Use Norvale Classic Icons"), page,
                               QStringLiteral("Use smaller colored spheres in Favorites list")));
    layout->addWidget(addCheck(Check::NewPage0, QStringLiteral("chkNewPage0"),
                               QStringLiteral("Show if Web Page was Updated"), page));
    layout->addWidget(addCheck(Check::MoveDead, QStringLiteral("chkMoveDead"),
                               QStringLiteral("Move Dead Favorites to Folder"), page));
    layout->addWidget(addCheck(Check::AutoThrottle, QStringLiteral("chkAutoThrottle"),
                               QStringLiteral("Automatically Adjust Wait Time"), page));
    layout->addWidget(addCheck(Check::DeadInIE, QStringLiteral("chkDeadInIE"),
                               QStringLiteral("View Dead Favorites In Internet Explorer"), page));
    auto* parallelRow = new QHBoxLayout;
    auto* parallelLabel = new QLabel(QStringLiteral("Checks at once"), page);
    m_checksAtOnce = new QSpinBox(page);
    m_checksAtOnce->setObjectName(QStringLiteral("spnParallel"));
    m_checksAtOnce->setRange(1, kMostParallel);
    m_checksAtOnce->setToolTip(
        QStringLiteral("How many favorites are checked at the same time (1: one after another)"));
    parallelLabel->setBuddy(m_checksAtOnce);
    connect(m_checksAtOnce, &QSpinBox::valueChanged, this,
            [this](int value) { m_form.SetChecksAtOnce(value); });
    parallelRow->addWidget(parallelLabel);
    parallelRow->addWidget(m_checksAtOnce);
    parallelRow->addStretch(1);
    layout->addLayout(parallelRow);
    layout->addWidget(addCheck(Check::LookAgain, QStringLiteral("chkLookAgain"),
                               QStringLiteral("Look again at favorites that gave no answer"), page,
                               QStringLiteral("At the end of a check, ask once more the sites that "
                                              "did not answer, after the pause they asked for")));
    layout->addLayout(buildDeadAfterRow(page));
    layout->addStretch(1);
    return page;
}

QSpinBox* OptionsDialog::addSpin(const QString& name, const QString& accessibleName,
                                 std::pair<int, int> span, std::function<void(int)> set,
                                 QWidget* parent)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setAccessibleName(accessibleName);
    spin->setRange(span.first, span.second);
    connect(spin, &QSpinBox::valueChanged, this, [this, set = std::move(set)](int value) {
        set(value);
        refresh();
    });
    return spin;
}

// "Count a favorite as dead after it failed [3] checks over at least [14] days"
QLayout* OptionsDialog::buildDeadAfterRow(QWidget* page)
{
    auto* row = new QHBoxLayout;
    row->addWidget(
        addCheck(Check::DeadAfterFailures, QStringLiteral("chkDeadAfterFailures"),
                 QStringLiteral("Count a favorite as dead after it failed"), page,
                 QStringLiteral("A favorite whose site stays unreachable (host not "
                                "found, refused, no answer) counts as dead once it "
                                "failed this many checks in a row over this many days")));
    m_deadAfterChecks = addSpin(
        QStringLiteral("spnDeadAfterChecks"), QStringLiteral("Failed checks"),
        {1, kMostDeadAfterChecks}, [this](int checks) { m_form.SetDeadAfterChecks(checks); }, page);
    m_deadAfterDays = addSpin(
        QStringLiteral("spnDeadAfterDays"), QStringLiteral("Days"), {0, kMostDeadAfterDays},
        [this](int days) { m_form.SetDeadAfterDays(days); }, page);
    row->addWidget(m_deadAfterChecks);
    row->addWidget(new QLabel(QStringLiteral("checks over at least"), page));
    row->addWidget(m_deadAfterDays);
    row->addWidget(new QLabel(QStringLiteral("days"), page));
    row->addStretch(1);
    return row;
}

QWidget* OptionsDialog::buildProxyPage()
{
    auto* page = new QWidget;
    auto* frame = new QGroupBox(QStringLiteral("Proxy server"), page);
    frame->setObjectName(QStringLiteral("Frame3"));
    m_proxyGroup = new QButtonGroup(this);
    const std::pair<ProxyMode, std::pair<const char*, const char*>> options[] = {
        {ProxyMode::None, {"optNoProxy", "No proxy server"}},
        {ProxyMode::Browser, {"optIEProxy", "Use Internet Explorer proxy settings"}},
        {ProxyMode::Own, {"optSetProxy", "Use proxy settings defined below"}},
    };
    auto* layout = new QVBoxLayout(frame);
    for (const auto& [mode, names] : options) {
        auto* option = new QRadioButton(QString::fromLatin1(names.second), frame);
        option->setObjectName(QString::fromLatin1(names.first));
        m_proxyGroup->addButton(option);
        m_proxyOptions[static_cast<size_t>(mode)] = option;
        connect(option, &QRadioButton::clicked, this, [this, mode = mode] {
            m_form.ClickProxyOption(mode);
            refresh();
        });
        layout->addWidget(option);
    }
    m_addressLabel = new QLabel(QStringLiteral("Address:"), frame);
    m_addressLabel->setObjectName(QStringLiteral("lblAddress"));
    m_portLabel = new QLabel(QStringLiteral("Port:"), frame);
    m_portLabel->setObjectName(QStringLiteral("lblPort"));
    auto* details = new QGridLayout;
    details->addWidget(m_addressLabel, 0, 0);
    details->addWidget(addText(TextBox::Proxy, QStringLiteral("txtProxy"), frame), 0, 1);
    details->addWidget(m_portLabel, 0, 2);
    QLineEdit* port = addText(TextBox::Port, QStringLiteral("txtPort"), frame);
    port->setMaxLength(5);
    port->setFixedWidth(port->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    details->addWidget(port, 0, 3);
    details->setColumnStretch(1, 1);
    m_addressLabel->setBuddy(textBox(TextBox::Proxy));
    m_portLabel->setBuddy(port);
    layout->addLayout(details);
    layout->addWidget(addCheck(Check::BypassProxy, QStringLiteral("chkBypassProxy"),
                               QStringLiteral("Bypass proxy server for local addresses"), frame));

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(frame);
    pageLayout->addStretch(1);
    return page;
}

QRadioButton* OptionsDialog::proxyOption(ProxyMode option) const
{
    return m_proxyOptions[static_cast<size_t>(option)];
}

void OptionsDialog::activate(int selectedPage)
{
    m_form.activate(selectedPage);
    refresh();
    int page = selectedPage;
    for (int i = 0; !m_form.pageOffered(page) && i < PrefPage::Count; ++i)
        page = i;
    m_tabs->setCurrentIndex(page);
}

void OptionsDialog::press(OptionsButton which)
{
    if (m_form.ClickButton(which)) {
        done(which == OptionsButton::OK ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    refresh();
    if (which == OptionsButton::OK && m_form.pageOffered(PrefPage::Proxy)) {
        // The only refusal is the proxy port: show it to be corrected.
        m_tabs->setCurrentIndex(PrefPage::Proxy);
        textBox(TextBox::Port)->setFocus();
        textBox(TextBox::Port)->selectAll();
    }
}

void OptionsDialog::done(int result)
{
    m_form.unload();
    QDialog::done(result);
}

void OptionsDialog::refresh()
{
    setWindowTitle(m_form.caption());
    for (int page = 0; page < PrefPage::Count; ++page) {
        m_tabs->setTabVisible(page, m_form.pageOffered(page));
        m_tabs->setTabEnabled(page, m_form.pageOffered(page));
    }
    for (int i = 0; i < kCheckCount; ++i) {
        const CheckBoxState& state = m_form.check(static_cast<Check>(i));
        m_checks[static_cast<size_t>(i)]->setChecked(state.checked);
        m_checks[static_cast<size_t>(i)]->setEnabled(state.enabled);
    }
    for (int i = 0; i < 2; ++i) {
        const QSignalBlocker quiet(m_sliders[static_cast<size_t>(i)]);
        m_sliders[static_cast<size_t>(i)]->setValue(m_form.timeoutSlider(i));
    }
    for (const auto& [spin, value] : {std::pair{m_checksAtOnce, m_form.checksAtOnce()},
                                      std::pair{m_deadAfterChecks, m_form.deadAfterChecks()},
                                      std::pair{m_deadAfterDays, m_form.deadAfterDays()}}) {
        const QSignalBlocker quiet(spin);
        spin->setValue(value);
    }
    m_deadAfterChecks->setEnabled(m_form.deadAfterLimitsEnabled());
    m_deadAfterDays->setEnabled(m_form.deadAfterLimitsEnabled());
    for (int i = 0; i < kTextBoxCount; ++i) {
        const auto box = static_cast<TextBox>(i);
        QLineEdit* edit = m_texts[static_cast<size_t>(i)];
        if (edit->text() != m_form.text(box))
            edit->setText(m_form.text(box));
        edit->setEnabled(m_form.textEnabled(box));
    }
    m_addressLabel->setEnabled(m_form.proxyFieldsEnabled());
    m_portLabel->setEnabled(m_form.proxyFieldsEnabled());

    const std::optional<ProxyMode> selected = m_form.proxyOption();
    m_proxyGroup->setExclusive(false);
    for (size_t i = 0; i < m_proxyOptions.size(); ++i)
        m_proxyOptions[i]->setChecked(selected && static_cast<size_t>(*selected) == i);
    m_proxyGroup->setExclusive(true);
}

} // namespace norvale
