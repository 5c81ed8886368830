#include "AnswerReasons.h"

#include "platform/Transfer.h"

#include <curl/curl.h>

namespace norvale {

namespace {

// The X.509 verification results that a user can act on.
constexpr long kCertificateNotYetValid = 9;
constexpr long kCertificateExpired = 10;
constexpr long kSelfSignedCertificate = 18;
constexpr long kSelfSignedInChain = 19;

constexpr int kFtpLoginRefused = 530;
constexpr int kFtpNoSuchFile = 550;

QString phraseOf(int code)
{
    switch (code) {
    case 200:
        return QStringLiteral("OK");
    case 203:
        return QStringLiteral("Non-Authoritative Information");
    case 204:
        return QStringLiteral("No Content");
    case 300:
        return QStringLiteral("Multiple Choices");
    case 304:
        return QStringLiteral("Not Modified");
    case 400:
        return QStringLiteral("Bad Request");
    case 401:
        return QStringLiteral("Unauthorized");
    case 402:
        return QStringLiteral("Payment Required");
    case 403:
        return QStringLiteral("Forbidden");
    case 404:
        return QStringLiteral("Not Found");
    case 405:
        return QStringLiteral("Method Not Allowed");
    case 406:
        return QStringLiteral("Not Acceptable");
    case 407:
        return QStringLiteral("Proxy Authentication Required");
    case 408:
        return QStringLiteral("Request Timeout");
    case 409:
        return QStringLiteral("Conflict");
    case 410:
        return QStringLiteral("Gone");
    case 411:
        return QStringLiteral("Length Required");
    case 412:
        return QStringLiteral("Precondition Failed");
    case 414:
        return QStringLiteral("URI Too Long");
    case 415:
        return QStringLiteral("Unsupported Media Type");
    case 418:
        return QStringLiteral("I'm a teapot");
    case 421:
        return QStringLiteral("Misdirected Request");
    case 425:
        return QStringLiteral("Too Early");
    case 426:
        return QStringLiteral("Upgrade Required");
    case 429:
        return QStringLiteral("Too Many Requests");
    case 431:
        return QStringLiteral("Request Header Fields Too Large");
    case 451:
        return QStringLiteral("Unavailable For Legal Reasons");
    case 500:
        return QStringLiteral("Internal Server Error");
    case 501:
        return QStringLiteral("Not Implemented");
    case 502:
        return QStringLiteral("Bad Gateway");
    case 503:
        return QStringLiteral("Service Unavailable");
    case 504:
        return QStringLiteral("Gateway Timeout");
    case 505:
        return QStringLiteral("HTTP Version Not Supported");
    case 507:
        return QStringLiteral("Insufficient Storage");
    case 508:
        return QStringLiteral("Loop Detected");
    case 511:
        return QStringLiteral("Network Authentication Required");
    default:
        return QString();
    }
}

QString certificateProblem(const TransferOutcome& outcome)
{
    switch (outcome.certificateResult) {
    case kCertificateExpired:
        return QStringLiteral("certificate expired");
    case kCertificateNotYetValid:
        return QStringLiteral("certificate not valid yet");
    case kSelfSignedCertificate:
    case kSelfSignedInChain:
        return QStringLiteral("self-signed certificate");
    default:
        break;
    }
    if (outcome.error.contains(QLatin1String("subject name"), Qt::CaseInsensitive) ||
        outcome.error.contains(QLatin1String("does not match"), Qt::CaseInsensitive))
        return QStringLiteral("certificate is for another site");
    return QStringLiteral("certificate not trusted");
}

// A redirect was on its way when the fetch failed.
bool redirecting(const TransferOutcome& outcome)
{
    return !outcome.hops.isEmpty() && outcome.hops.last().code / 100 == 3;
}

} // namespace

QString StatusText(int code)
{
    const QString phrase = phraseOf(code);
    return phrase.isEmpty() ? QStringLiteral("HTTP %1").arg(code)
                            : QStringLiteral("%1 %2").arg(code).arg(phrase);
}

LinkResult VerdictForStatus(int code)
{
    const QString text = StatusText(code);
    if (code == 404)
        return LinkResult::Of(LinkResult::Dead, code, text);
    if (code == 410)
        return LinkResult::Of(LinkResult::Gone, code, text);
    if (code == 401)
        return LinkResult::Of(LinkResult::Alive, code, text + QStringLiteral(": needs a login"));
    if (code == 403)
        return LinkResult::Of(LinkResult::NoAnswer, code,
                              QStringLiteral("refused (403): may be a bot check"));
    if (code == 429)
        return LinkResult::Of(LinkResult::NoAnswer, code, text + QStringLiteral(" (temporary)"),
                              Trouble::SlowDown);
    if (code == 408 || (code >= 500 && code < 600))
        return LinkResult::Of(LinkResult::NoAnswer, code, text + QStringLiteral(" (temporary)"),
                              Trouble::ServerError);
    if (code >= 400 && code < 500)
        return LinkResult::Of(LinkResult::Dead, code, text);
    return LinkResult::Of(LinkResult::NoAnswer, code,
                          code >= 300 && code < 400
                              ? text + QStringLiteral(": a redirect without a target")
                              : QStringLiteral("unusual answer (%1)").arg(code));
}

LinkResult NoAnswerWithin(int cutMs)
{
    const QString seconds =
        cutMs % 1000 == 0 ? QString::number(cutMs / 1000) : QString::number(cutMs / 1000.0, 'f', 1);
    return LinkResult::Of(LinkResult::NoAnswer, 0,
                          QStringLiteral("no answer within %1 s").arg(seconds), Trouble::TimedOut);
}

namespace {

LinkResult failureOf(const TransferOutcome& outcome)
{
    const int code = outcome.httpStatus;
    switch (outcome.curlCode) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return LinkResult::Of(LinkResult::NoAnswer, 0, QStringLiteral("host not found"),
                              Trouble::HostNotFound);
    case CURLE_COULDNT_RESOLVE_PROXY:
        return LinkResult::Of(LinkResult::NoAnswer, 0, QStringLiteral("proxy not found"));
    case CURLE_COULDNT_CONNECT:
        return LinkResult::Of(LinkResult::NoAnswer, 0, QStringLiteral("connection refused"),
                              Trouble::Refused);
    case CURLE_TOO_MANY_REDIRECTS:
        return LinkResult::Of(LinkResult::NoAnswer, 0, QStringLiteral("redirect loop"));
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return LinkResult::Of(LinkResult::NoAnswer, 0,
                              redirecting(outcome)
                                  ? QStringLiteral("redirect to an address a browser will not open")
                                  : QStringLiteral("not an address Norvale can fetch"));
    case CURLE_PEER_FAILED_VERIFICATION:
        return LinkResult::Of(LinkResult::NoAnswer, 0, certificateProblem(outcome));
    case CURLE_SSL_CONNECT_ERROR:
        return LinkResult::Of(LinkResult::NoAnswer, 0, QStringLiteral("secure connection failed"));
    case CURLE_OPERATION_TIMEDOUT:
        return LinkResult::Of(LinkResult::NoAnswer, 0, QStringLiteral("no answer in time"),
                              Trouble::TimedOut);
    case CURLE_GOT_NOTHING:
        return LinkResult::Of(LinkResult::NoAnswer, 0, QStringLiteral("closed without an answer"),
                              Trouble::Dropped);
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return LinkResult::Of(LinkResult::NoAnswer, 0, QStringLiteral("connection dropped"),
                              Trouble::Dropped);
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_REMOTE_ACCESS_DENIED:
        if (code == kFtpNoSuchFile || outcome.curlCode == CURLE_REMOTE_FILE_NOT_FOUND)
            return LinkResult::Of(LinkResult::Dead, kFtpNoSuchFile,
                                  QStringLiteral("550 no such file or folder"));
        return LinkResult::Of(LinkResult::NoAnswer, code, QStringLiteral("access denied"));
    case CURLE_LOGIN_DENIED:
        return LinkResult::Of(LinkResult::NoAnswer, kFtpLoginRefused,
                              QStringLiteral("530 login refused"));
    default:
        break;
    }
    return LinkResult::Of(LinkResult::NoAnswer, 0,
                          outcome.error.isEmpty() ? QStringLiteral("no answer")
                                                  : QStringLiteral("no answer: ") + outcome.error);
}

} // namespace

LinkResult VerdictForFailure(const TransferOutcome& outcome)
{
    LinkResult result = failureOf(outcome);
    // The site answered, and sent the visitor somewhere that failed; a
    // failure of the redirect itself already says so.
    const bool ofTheRedirect = outcome.curlCode == CURLE_TOO_MANY_REDIRECTS ||
                               outcome.curlCode == CURLE_UNSUPPORTED_PROTOCOL ||
                               outcome.curlCode == CURLE_URL_MALFORMAT;
    if (redirecting(outcome) && !ofTheRedirect)
        result.Reason += QStringLiteral(" after a redirect to ") +
                         QString::fromLatin1(outcome.hops.last().location);
    return result;
}

} // namespace norvale
