#pragma once

#include "options/OptionsForm.h"

#include <array>
#include <functional>
#include <QDialog>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QCheckBox;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QSpinBox;
class QTabWidget;

namespace norvale {

// frmOptions: the options dialog, and in its other mode the favorite
// properties dialog. A view over an OptionsForm, which holds every control's
// state and all the reactions; the widgets only show that state and pass the
// user's clicks and edits on. Widgets are named after their controls, with
// the index appended for the control arrays ("btnButtons0", "chkNameChange1",
// "TimeoutSlider0", "Frame1_0").
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    // form must be loaded and outlive the dialog.
    explicit OptionsDialog(OptionsForm& form, QWidget* parent = nullptr);

    // Activates the form for the selected page and shows that page, or the
    // first one offered when it is not.
    void activate(int selectedPage);

    QTabWidget* tabs() const { return m_tabs; }
    QCheckBox* checkBox(Check box) const { return m_checks[static_cast<size_t>(box)]; }
    QSlider* timeoutSlider(int index) const { return m_sliders.at(static_cast<size_t>(index)); }
    QLineEdit* textBox(TextBox box) const { return m_texts[static_cast<size_t>(box)]; }
    QRadioButton* proxyOption(ProxyMode option) const;
    QPushButton* button(OptionsButton button) const
    {
        return m_buttons[static_cast<size_t>(button)];
    }

    // However the dialog closes, the form's close step runs first.
    void done(int result) override;

private:
    QWidget* buildDefaultsPage();
    QWidget* buildPropertiesPage();
    QWidget* buildScanningPage();
    QWidget* buildProxyPage();
    QWidget* buildWaitTimeFrame(int index, QWidget* parent);
    QLayout* buildDeadAfterRow(QWidget* page);
    QSpinBox* addSpin(const QString& name, const QString& accessibleName, std::pair<int, int> span,
                      std::function<void(int)> set, QWidget* parent);
    QCheckBox* addCheck(Check box, const QString& name, const QString& caption, QWidget* parent,
                        const QString& toolTip = QString());
    QLineEdit* addText(TextBox box, const QString& name, QWidget* parent);
    QPushButton* addButton(OptionsButton which, const QString& caption, QWidget* parent);
    void press(OptionsButton which);
    // Shows the form's state in the widgets.
    void refresh();

    OptionsForm& m_form;
    QTabWidget* m_tabs = nullptr;
    std::array<QCheckBox*, kCheckCount> m_checks{};
    std::array<QSlider*, 2> m_sliders{};
    QSpinBox* m_checksAtOnce = nullptr;
    QSpinBox* m_deadAfterChecks = nullptr;
    QSpinBox* m_deadAfterDays = nullptr;
    std::array<QLineEdit*, kTextBoxCount> m_texts{};
    std::array<QRadioButton*, 3> m_proxyOptions{};
    QButtonGroup* m_proxyGroup = nullptr;
    std::array<QPushButton*, 3> m_buttons{};
    QLabel* m_addressLabel = nullptr;
    QLabel* m_portLabel = nullptr;
};

} // namespace norvale
