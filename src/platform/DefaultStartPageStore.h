#pragma once

#include <memory>

class StartPageStore;

// The current user's start-page store of this platform: the registry on Windows, the
// settings file under the XDG configuration folder elsewhere.
std::unique_ptr<StartPageStore> makeDefaultStartPageStore();
