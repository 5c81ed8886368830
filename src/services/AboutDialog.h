#pragma once

#include "services/AboutTexts.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace norvale {

class Clock;
class UrlOpener;

// The about box: the logo, the title with the version, the copyright with
// the current year, the maker's web site (a click opens it) and the credit
// line. OK closes it. The main window shows it modal with exec().
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // opener may be null: the address then opens nothing.
    AboutDialog(const Clock& clock, UrlOpener* opener, QWidget* parent = nullptr,
                const ProgramVersion& version = ProgramVersion::current());

    const AboutTexts& texts() const { return m_texts; }
    QLabel* logoLabel() const { return m_logo; }
    QLabel* titleLabel() const { return m_title; }
    QLabel* copyrightLabel() const { return m_copyright; }
    QLabel* addressLabel() const { return m_address; }
    QPushButton* okButton() const { return m_ok; }

    // What a click on the address does: hands it to the opener.
    void openMakerSite();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AboutTexts m_texts;
    UrlOpener* m_opener;
    QLabel* m_logo;
    QLabel* m_title;
    QLabel* m_copyright;
    QLabel* m_address;
    QLabel* m_credit;
    QPushButton* m_ok;
};

} // namespace norvale
