#pragma once

#include <QString>
#include <utility>
#include <variant>

namespace packshelf {

// Why something could not be done. Any Result is made from one, so a
// function fails with `return fail(reason);` and passes on a callee's
// failure with `return result.failure();`.
struct Failure {
    QString reason;
};

inline Failure fail(QString reason) {
    return Failure{std::move(reason)};
}

// What a function that can fail answers: the value it made, or the reason
// it could not make one.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure)
        : m_state(std::in_place_index<1>, std::move(failure.reason)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(m_state); }
    const T& value() const& { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // Empty when it succeeded.
    QString reason() const {
        const QString* reason = std::get_if<1>(&m_state);
        return reason ? *reason : QString();
    }
    Failure failure() const { return Failure{reason()}; }

private:
    std::variant<T, QString> m_state;
};

// What a function that only succeeds or fails answers.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure)
        : m_failed(true)
        , m_reason(std::move(failure.reason)) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }

    const QString& reason() const { return m_reason; }
    Failure failure() const { return Failure{m_reason}; }

private:
    bool m_failed = false;
    QString m_reason;
};

using Status = Result<void>;

} // namespace packshelf
