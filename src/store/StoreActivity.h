#pragma once

#include <functional>

// Process-wide state shared by every store operation: the windows share one session and one store
// file, so only one operation may run at a time (the main window shows it with its red frame), and
// the front end decides how pending events run between the steps of an operation.
class StoreActivity {
public:
    using EventPump = std::function<void()>;

    // The windows pass QCoreApplication::processEvents; by default nothing runs between steps.
    static void setEventPump(EventPump pump);
    static void pumpEvents();

    static bool isRunning();

    // Held for the length of one operation. A second Scope while one is held is not acquired,
    // and its operation returns StoreError::Busy without touching anything.
    class Scope {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        bool acquired() const { return m_acquired; }

    private:
        bool m_acquired;
    };
};
