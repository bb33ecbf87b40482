#include "store/StoreActivity.h"

namespace {

StoreActivity::EventPump& eventPump()
{
    static StoreActivity::EventPump pump;
    return pump;
}

bool s_running = false;

} // namespace

void StoreActivity::setEventPump(EventPump pump)
{
    eventPump() = std::move(pump);
}

void StoreActivity::pumpEvents()
{
    if (eventPump())
        eventPump()();
}

bool StoreActivity::isRunning()
{
    return s_running;
}

StoreActivity::Scope::Scope()
    : m_acquired(!s_running)
{
    if (m_acquired)
        s_running = true;
}

StoreActivity::Scope::~Scope()
{
    if (m_acquired)
        s_running = false;
}
