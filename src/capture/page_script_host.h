#pragma once

#include "common/error.h"

#include <QCoroTask>
#include <QJsonValue>
#include <QString>

namespace quill {

// A page script call that did not produce an answer.
class PageScriptError : public Error
{
public:
    enum class Kind {
        scriptException, // the script threw; the message carries the page's error text
        pageGone,        // no page, or it was torn down / navigated away while the call ran
        rendererCrashed, // the web content process terminated while the call was pending
        timedOut,        // no answer within the host's time-out
        invalidAnswer,   // the envelope's answer could not be read
    };

    PageScriptError(Kind kind, QString message) : Error(std::move(message)), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// Runs page scripts in the marketplace page's main world. `body` is the body of a
// function (it ends with `return ...`); the result is whatever that function
// returned, as JSON (page scripts return the text of JSON.stringify(...)). Any
// failure is a PageScriptError, so "the call failed" and "the script answered
// nothing useful" are told apart.
class PageScriptHost
{
public:
    virtual ~PageScriptHost() = default;
    virtual QCoro::Task<QJsonValue> run(QString body) = 0;
};

} // namespace quill
