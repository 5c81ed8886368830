#pragma once

#include <QDateTime>
#include <QString>

namespace norvale {

// The verdict of one probe.
struct LinkResult {
    // What the probe found: alive, dead, or no usable answer. A favorite that
    // was not checked at all is Unchecked; Gone is a dead page that said so
    // itself (410).
    enum class Verdict {
        NoAnswer,
        Unchecked,
        Alive,
        Dead,
        Gone,
    };
    using enum Verdict;

    Verdict Status = Unchecked;
    // The status code of the answer that decided (HTTP, or the FTP reply),
    // 0 when no answer did.
    int Code = 0;
    // Why, in a few words a user understands: "404 Not Found", "host not
    // found", "moved permanently to ...".
    QString Reason;
    QString Title; // the page title, cleaned
    // Where the page's refresh tag sends its visitors, or "": the next step
    // of the chain, still to be followed.
    QString Redirect;
    // Where the HTTP redirects from the address asked for ended ("" when the
    // address answered itself), how many there were, and whether every one
    // of them was a permanent move (301 or 308).
    QString EndAddress;
    int Hops = 0;
    bool Permanent = true;
    // The live page's title mentions an error: whether it is the site's error
    // page served with success takes a second look.
    bool SuspectTitle = false;
    // The page's date as its server gave it (GMT wall-clock time, held with a
    // UTC time zone), the current time when it gave none, null when the probe
    // ended before looking.
    QDateTime LastModified;
    // True when LastModified is the page's own date rather than the time of
    // the check: only a page's own date can show it as changed.
    bool PageDated = false;
    // The page came with a success answer (a 2xx status, or any answer of a
    // protocol without status lines): only such a page's title may name a
    // favorite.
    bool Successful = false;

    // A verdict with the code and reason that gave it, and nothing more.
    static LinkResult Of(Verdict status, int code, const QString& reason)
    {
        LinkResult result;
        result.Status = status;
        result.Code = code;
        result.Reason = reason;
        return result;
    }
};

} // namespace norvale
