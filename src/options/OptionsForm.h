#pragma once

#include "OptionsContext.h"
#include "shell/AppSettings.h"

#include <array>
#include <optional>
#include <QString>

namespace norvale {

class NorvaleError;
class TreeNode;

// Pages of the tab strip PrefTab.
namespace PrefPage {
constexpr int Defaults = 0;
constexpr int Properties = 1;
constexpr int Scanning = 2;
constexpr int Proxy = 3;
constexpr int Count = 4;
} // namespace PrefPage

// The selected page at activation decides: Properties edits the selected
// favorite, any other page the program-wide options.
enum class OptionsMode { Options, Properties };

// The span of both wait-time sliders, in milliseconds.
constexpr int kTimeoutSliderMinimum = 500;
constexpr int kTimeoutSliderMaximum = 2000;

// The check boxes. The pairs NameChange and NewPage edit the program-wide
// value (index 0, Scanning page) and the favorite's own (index 1,
// Properties page).
enum class Check {
    AddToIE,
    AddToToolbar,
    AutoCheck,
    NameChange0,
    NameChange1,
    NewPage0,
    NewPage1,
    PreserveIcons,
    SmallLights,
    MoveDead,
    AutoThrottle,
    DeadInIE,
    LookAgain,
    DeadAfterFailures,
    DontCheck,
    BypassProxy,
};
constexpr int kCheckCount = static_cast<int>(Check::BypassProxy) + 1;

enum class TextBox { Link, URL, Proxy, Port };
constexpr int kTextBoxCount = static_cast<int>(TextBox::Port) + 1;

// btnButtons by index.
enum class OptionsButton { OK = 0, Cancel = 1, Default = 2 };

struct CheckBoxState {
    bool checked = false;
    bool enabled = true;
};

// frmOptions without its widgets: the state of every control, and the
// dialog's reactions to its events. A view shows this state and passes the
// user's actions in; tests drive it directly. Built afresh for each showing.
//
// Events in the order a showing sees them: Load, activate(selected page),
// the user's clicks and edits, ClickButton until it says the dialog closes
// (or Unload when the dialog is closed another way).
class OptionsForm {
public:
    explicit OptionsForm(OptionsContext& context);

    // Fills the controls from the settings and the browser version.
    void load();
    // Chooses the mode from the selected page and fills what it shows.
    void activate(int selectedPage);

    // A user's click: ignored for a disabled box; when the box changes, its
    // click reaction runs.
    void ClickCheck(Check which, bool checked);
    void SetTimeoutSlider(int index, int value); // kept within the span
    void SetChecksAtOnce(int value);             // kept within 1 and the most
    // The limits of "count as dead after N checks over D days", each kept
    // within its span; ignored while that option is off.
    void SetDeadAfterChecks(int checks);
    void SetDeadAfterDays(int days);
    void setText(TextBox which, const QString& text); // ignored for a disabled box
    void ClickProxyOption(ProxyMode option);
    // Runs the button; true when the dialog closes, its close step done.
    bool ClickButton(OptionsButton button);
    // The close step, however the dialog closes; runs once.
    void unload();

    // Enables or disables the five proxy detail controls together.
    void EnableProxyFields(bool enabled);
    // Writes the Properties page into the favorite's file.
    void SaveFavoriteProperties();

    OptionsMode mode() const { return m_mode; }
    QString caption() const { return m_caption; }
    bool pageOffered(int page) const;
    const CheckBoxState& check(Check box) const { return m_checks[index(box)]; }
    int timeoutSlider(int index) const { return m_timeoutSlider.at(static_cast<size_t>(index)); }
    int checksAtOnce() const { return m_checksAtOnce; }
    int deadAfterChecks() const { return m_deadAfterChecks; }
    int deadAfterDays() const { return m_deadAfterDays; }
    bool deadAfterLimitsEnabled() const { return check(Check::DeadAfterFailures).checked; }
    const QString& text(TextBox box) const { return m_texts[static_cast<size_t>(box)]; }
    bool textEnabled(TextBox box) const;
    // None until a proxy option is chosen or filled in.
    std::optional<ProxyMode> proxyOption() const { return m_proxyOption; }
    bool proxyFieldsEnabled() const { return m_proxyFieldsEnabled; }
    bool closed() const { return m_closed; }
    // Properties mode: the favorite's file.

    static bool IsValidProxyPort(const QString& port);
    static QString invalidPortMessage();

private:
    static size_t index(Check box) { return static_cast<size_t>(box); }
    CheckBoxState& box(Check box) { return m_checks[index(box)]; }
    // Sets a box as the program does: the click reaction runs when it changes.
    void setCheck(Check which, bool checked);
    void clicked(Check which);
    void activateOptions();
    void activateProperties();
    bool ok();
    void writeSettings();
    void applyBrowserIntegration();
    void applyProxySettings();
    void resetFavorite();
    void report(const NorvaleError& error) const;

    OptionsContext& m_context;
    OptionsMode m_mode = OptionsMode::Options;
    QString m_caption = QStringLiteral("Options");
    std::array<bool, PrefPage::Count> m_pageOffered{true, true, true, true};
    std::array<CheckBoxState, kCheckCount> m_checks{};
    std::array<int, 2> m_timeoutSlider{kTimeoutSliderMinimum, kTimeoutSliderMinimum};
    int m_checksAtOnce = kDefaultParallel;
    int m_deadAfterChecks = kDefaultDeadAfterChecks;
    int m_deadAfterDays = kDefaultDeadAfterDays;
    std::array<QString, kTextBoxCount> m_texts{};
    std::optional<ProxyMode> m_proxyOption;
    bool m_proxyFieldsEnabled = false;

    // Remembered at load.
    bool m_initialToolsMenu = false;
    bool m_initialToolbar = false;
    bool m_initialSmallLights = false;
    bool m_moveDeadTouched = false;

    // Properties mode, remembered at activation.
    TreeNode* m_favorite = nullptr;
    QString m_filePath;
    QString m_loadedName;
    QString m_loadedAddress;

    bool m_closed = false;
};

} // namespace norvale
