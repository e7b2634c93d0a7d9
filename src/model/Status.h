#pragma once
#include <QString>
#include <optional>
#include <utility>

// The outcome of an operation that may fail: success, or the reason in the
// words the user is shown. Layers below the window return it instead of
// throwing; the window shows message() in its box, the command line on one
// line of standard error.
class [[nodiscard]] Status
{
public:
    Status() = default;   // success
    static Status failure(QString message)
    {
        Status s;
        s.m_failed = true;
        s.m_message = std::move(message);
        return s;
    }
    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& message() const { return m_message; }

private:
    bool m_failed = false;
    QString m_message;
};

// A value, or the reason there is none.
template <typename T>
class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Status failure) : m_status(std::move(failure)) {}
    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    const T* operator->() const { return &*m_value; }
    T* operator->() { return &*m_value; }
    const Status& status() const { return m_status; }
    const QString& message() const { return m_status.message(); }

private:
    std::optional<T> m_value;
    Status m_status;
};
