#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace velmaro {

// Outcome of an operation that yields nothing: success, or a failure with the text shown to the user.
class Status
{
public:
    Status() = default;
    static Status failure(QString message)
    {
        Status s;
        s.m_failed = true;
        s.m_error = std::move(message);
        return s;
    }
    bool ok() const { return !m_failed; }
    const QString& error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};

// A value, or a failure with the text shown to the user.
template <typename T>
class Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    // A failure carried over from a Status. A Status that is ok() has no value to give: that is the
    // caller's mistake, stopped by the assertion in debug builds and otherwise a failure that says so,
    // never one without a message.
    Result(const Status& failed) : m_error(failed.ok() ? NoValueText() : failed.error())
    {
        Q_ASSERT_X(!failed.ok(), "Result", "built from a Status that is ok()");
    }
    static Result failure(QString message)
    {
        Result r;
        r.m_error = std::move(message);
        return r;
    }
    bool ok() const { return m_value.has_value(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const T& operator*() const { return *m_value; }
    const T* operator->() const { return &*m_value; }
    const QString& error() const { return m_error; }
    Status status() const { return ok() ? Status() : Status::failure(m_error); }

private:
    Result() = default;
    static QString NoValueText()
    {
        return QStringLiteral("Internal error: a step succeeded but gave no result.");
    }
    std::optional<T> m_value;
    QString m_error;
};

} // namespace velmaro
