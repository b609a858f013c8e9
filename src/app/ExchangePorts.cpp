#include "app/ExchangePorts.h"

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
ReportExportHandler& ReportHandler()
{
    static ReportExportHandler handler;
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

void SetReportExportHandler(ReportExportHandler handler)
{
    ReportHandler() = std::move(handler);
}

const ReportExportHandler& GetReportExportHandler()
{
    return ReportHandler();
}
