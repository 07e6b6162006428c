#include "platform/SessionEndWatcher.h"

#ifndef _WIN32
#include "platform/PosixSignalWatcher.h"
#endif

std::unique_ptr<SessionEndWatcher> SessionEndWatcher::create()
{
#ifdef _WIN32
    // Windows ends a session through the session manager's own messages, which the
    // application object turns into commitDataRequest.
    return std::unique_ptr<SessionEndWatcher>(new SessionEndWatcher);
#else
    return std::make_unique<PosixSignalWatcher>();
#endif
}
