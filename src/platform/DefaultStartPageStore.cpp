#include "platform/DefaultStartPageStore.h"

#ifdef _WIN32
#include "platform/RegistryStartPageStore.h"
#else
#include "platform/XdgStartPageStore.h"
#endif

std::unique_ptr<StartPageStore> makeDefaultStartPageStore()
{
#ifdef _WIN32
    return std::make_unique<RegistryStartPageStore>();
#else
    return std::make_unique<XdgStartPageStore>();
#endif
}
