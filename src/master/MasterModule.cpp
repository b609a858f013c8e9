#include "master/MasterModule.h"

#include "master/EntryDialogs.h"
#include "master/MasterView.h"
#include "app/ViewRegistry.h"

void RegisterMasterViews(CViewRegistry& registry)
{
    registry.Register(EViewClass::Master, [](CMainFrame& frame) -> CView* { return new CMasterView(frame); });
    RegisterMasterEntryDialogs(registry);
}

namespace
{
MasterImportHandler& ImportHandler()
{
    static MasterImportHandler handler;
    return handler;
}
MasterSiblingImportHandler& SiblingHandler()
{
    static MasterSiblingImportHandler handler;
    return handler;
}
MasterExportHandler& ExportHandler()
{
    static MasterExportHandler handler;
    return handler;
}
MasterSiblingExportHandler& SiblingExportHandler()
{
    static MasterSiblingExportHandler handler;
    return handler;
}
} // namespace

void SetMasterImportHandler(MasterImportHandler handler)
{
    ImportHandler() = std::move(handler);
}

const MasterImportHandler& GetMasterImportHandler()
{
    return ImportHandler();
}

void SetMasterExportHandler(MasterExportHandler handler)
{
    ExportHandler() = std::move(handler);
}

const MasterExportHandler& GetMasterExportHandler()
{
    return ExportHandler();
}

void SetMasterSiblingImportHandler(MasterSiblingImportHandler handler)
{
    SiblingHandler() = std::move(handler);
}

const MasterSiblingImportHandler& GetMasterSiblingImportHandler()
{
    return SiblingHandler();
}

void SetMasterSiblingExportHandler(MasterSiblingExportHandler handler)
{
    SiblingExportHandler() = std::move(handler);
}

const MasterSiblingExportHandler& GetMasterSiblingExportHandler()
{
    return SiblingExportHandler();
}
