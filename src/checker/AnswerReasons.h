#pragma once

#include "LinkResult.h"

#include <QString>

namespace norvale {

struct TransferOutcome;

// How an answer's status code judges a favorite, as a browser's user would
// see the page: for any code but 2xx (whose page is judged by its content).
// 404, 410 and the other 4xx are dead; 401 is alive (a page behind a login
// still leads where the user wants); 403, 408, 429 and 5xx are no answer,
// since they may pass, or be meant for programs only.
LinkResult VerdictForStatus(int code);

// The verdict on a fetch that failed before any page was judged: the host
// not found, a refused connection, a certificate, a redirect loop, an FTP
// file that is not there.
LinkResult VerdictForFailure(const TransferOutcome& outcome);

// No answer within the time the fetch was given.
LinkResult NoAnswerWithin(int cutMs);

// "404 Not Found": the code and its usual phrase ("HTTP 599" for a code
// without one).
QString StatusText(int code);

} // namespace norvale
