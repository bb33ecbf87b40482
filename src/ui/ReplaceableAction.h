#pragma once

#include <functional>
#include <utility>

// An effect that leaves the program (ending it, starting a browser), with a seam for tests: while an
// action is installed it runs instead of the real one.
template <typename Signature>
class ReplaceableAction {
public:
    using Action = std::function<Signature>;

    explicit ReplaceableAction(Action real) : m_real(std::move(real)) {}

    template <typename... Args>
    auto operator()(Args&&... args) const
    {
        return (m_installed ? m_installed : m_real)(std::forward<Args>(args)...);
    }

    // Returns the action installed before; an empty action restores the real one.
    Action replace(Action action) { return std::exchange(m_installed, std::move(action)); }

private:
    Action m_real;
    Action m_installed;
};
