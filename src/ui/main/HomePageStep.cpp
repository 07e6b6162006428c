#include "ui/main/HomePageStep.h"

#include "base/AppError.h"
#include "base/SiteConfig.h"
#include "platform/DefaultStartPageStore.h"
#include "platform/StartPage.h"
#include "platform/StartPageError.h"
#include "platform/StartPageStore.h"

#include <QString>

void runHomePageStep(StartPageStore *store)
{
    std::unique_ptr<StartPageStore> ownStore;
    if (store == nullptr) {
        ownStore = makeDefaultStartPageStore();
        store = ownStore.get();
    }
    const std::u16string address = QString::fromUtf8(site::kDirectoryPage).toStdU16String();
    try {
        setStartPageUnlessCurrent(*store, address);
    } catch (const StartPageError &error) {
        throw AppError(QString::fromUtf8(error.what()));
    }
}
