#pragma once

#include <QDateTime>
#include <QString>

namespace norvale {

// Why a check found no answer, where that may be different at the next
// look: the kinds of trouble that pass, and a bot check in front of a page.
enum class Trouble {
    None,
    HostNotFound,
    Refused,
    TimedOut,
    Dropped,     // the connection closed or broke before a whole answer
    ServerError, // 408 or 5xx
    SlowDown,    // 429: the server is there and asks for fewer requests
    BotCheck,    // a challenge page meant to keep programs out
};

// Worth a second look at the end of the run: it may have passed by then.
constexpr bool MayPass(Trouble trouble)
{
    return trouble != Trouble::None && trouble != Trouble::BotCheck;
}
// Says the site itself is gone or down when it lasts (never a 429, which a
// live server sends, nor a bot check).
constexpr bool CountsTowardsDead(Trouble trouble)
{
    return MayPass(trouble) && trouble != Trouble::SlowDown;
}

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
    // The page's date as its server gave it (GMT, held with a UTC time
    // zone), null when it gave none.
    QDateTime LastModified;
    // True when LastModified holds the page's own date: only that can show
    // it as changed.
    bool PageDated = false;
    // The page came with a success answer (a 2xx status, or any answer of a
    // protocol without status lines): only such a page's title may name a
    // favorite.
    bool Successful = false;
    // Why there was no answer, when that may change (see Trouble).
    norvale::Trouble Trouble = norvale::Trouble::None;
    // The wait the server asked for before the next request (Retry-After),
    // in seconds; -1 when it named none.
    int RetryAfterSeconds = -1;

    // A verdict with the code and reason that gave it, and nothing more.
    static LinkResult Of(Verdict status, int code, const QString& reason,
                         norvale::Trouble trouble = norvale::Trouble::None)
    {
        LinkResult result;
        result.Status = status;
        result.Code = code;
        result.Reason = reason;
        result.Trouble = trouble;
        return result;
    }
};

} // namespace norvale
