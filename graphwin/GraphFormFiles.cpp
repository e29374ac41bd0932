// Saving, loading and printing a graph window.
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolButton>
#include <filesystem>

#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphForm.h"
#include "graphwin/MeasurementReader.h"
#include "graphwin/MeasurementWriter.h"
#include "graphwin/ReadingTimerPause.h"
#include "platform/Dialogs.h"

namespace vx {

namespace {

const char* const kSaveFilter = "Text Files (*.TXT *.txt);;Comma-Spaced Values (*.CSV *.csv);;All Files (*)";
const char* const kLoadFilter = "Text files (*.txt *.TXT);;Comma-Spaced Values (*.CSV *.csv)";

std::string applicationTitle() { return QGuiApplication::applicationDisplayName().toStdString(); }

void reportError(Dialogs& dialogs, const std::string& text) {
    dialogs.message({text, applicationTitle(), MsgButtons::Ok, MsgIcon::Stop, MsgAnswer::Ok});
}

// A name typed without an extension gets the one of the chosen file type.
std::string withDefaultExtension(const std::string& path, int filterIndex) {
    if (std::filesystem::path(path).has_extension()) return path;
    return path + (filterIndex == 1 ? ".CSV" : ".TXT");
}

}  // namespace

void TGraphForm::ToolButtonSaveClick() {
    SaveMeasurements();
    ToolButtonSave->setChecked(false);
}

void TGraphForm::menuFileSaveClick() {
    ToolButtonSave->setChecked(true);
    ToolButtonSaveClick();
}

bool TGraphForm::SaveMeasurements() {
    Dialogs& dialogs = *host_.dialogs;
    const auto choice =
        dialogs.saveFile({"Save Measurements to File", kSaveFilter, DefaultFileName(windowTitle().toStdString()), 0});
    if (!choice) return false;
    const std::string path = withDefaultExtension(choice->path, choice->filterIndex);
    // The dialog asked about the name as typed; the completed name may exist too.
    if (path != choice->path && std::filesystem::exists(path)) {
        const MsgAnswer answer =
            dialogs.message({path + " already exists.\nDo you want to replace it?", applicationTitle(),
                             MsgButtons::YesNo, MsgIcon::Warning, MsgAnswer::No});
        if (answer != MsgAnswer::Yes) return false;
    }
    return WriteMeasurements(path, choice->filterIndex);
}

bool TGraphForm::WriteMeasurements(const std::string& path, int filterIndex) {
    ReadingTimerPause pause(host_);
    SaveSettings settings;
    settings.Caption = windowTitle().toStdString();
    settings.SubLsbs = subLsbs_;
    settings.Limits = homeLimits();
    settings.Separator = SeparatorForFilter(filterIndex);
    settings.SaveHeaderLine = host_.SaveHeaderLine;
    settings.SaveLineNumbers = host_.SaveLineNumbers;
    const SaveResult result = vx::WriteMeasurements(path, *painter_->DisplayZorTape(), settings);
    if (!result.Ok()) {
        // Unsaved data must not look saved: the close question keeps asking.
        reportError(*host_.dialogs, result.Error);
        return false;
    }
    DataUnsaved = false;
    return true;
}

void TGraphForm::menuFileLoadClick() {
    ToolButtonLoad->setChecked(true);
    ToolButtonLoadClick();
}

void TGraphForm::ToolButtonLoadClick() {
    ReadingTimerPause pause(host_);
    const auto choice = host_.dialogs->openFile(
        {"Load Measurements from File", kLoadFilter, DefaultFileName(windowTitle().toStdString()), 0});
    ToolButtonLoad->setChecked(false);
    if (choice) LoadMeasurements(choice->path);
}

TGraphForm* TGraphForm::LoadMeasurements(const std::string& path) {
    ReadingTimerPause pause(host_);
    const QString qpath = QString::fromStdString(path);
    auto* form = new TGraphForm(host_, this);
    form->ToolButtonLoad->setChecked(true);
    form->move(pos() + QPoint(20, 20));
    form->show();
    ZrGraphPainter& painter = *form->painter_;
    painter.SetAutoScale(false);
    form->ReportAutomaticRescales();
    form->DataUnsaved = false;
    painter.ShowTable();
    form->setWindowTitle(QStringLiteral("Loading file %1...").arg(qpath));

    LoadResult result = LoadMeasurementFile(path, *host_.clock, [form, &qpath](int percent) {
        form->setWindowTitle(QStringLiteral("Loading (%1%) file %2...").arg(percent).arg(qpath));
    });
    if (!result.Ok()) {
        // Nothing was read, so the new window has nothing to show.
        delete form;
        reportError(*host_.dialogs, result.Error);
        return nullptr;
    }

    LoadedMeasurements& data = result.Data;
    form->loadedTape_ = std::make_unique<TZorTape>(std::move(data.Tape));
    painter.SetDisplayZorTape(form->loadedTape_.get());
    if (data.HasMetadata) {
        // The file's coding is the loaded window's own: the live range
        // markers and statistics keep the limits of the current coding.
        CodeLimits limits = *host_.limits;
        data.Metadata.ApplyTo(limits);
        form->fileLimits_ = limits;
        form->SetSubLsbs(data.Metadata.SubLsbs);
    }
    painter.ResetPlotColors();
    painter.ShowTimeDomain();
    painter.DoAutoScale();
    form->ScaleChange();
    form->setWindowTitle(data.Title.empty() ? QStringLiteral("File %1").arg(qpath)
                                            : QString::fromStdString(data.Title));

    // The buttons of the channels the file holds: its saved channels need not be 0, 1, 2, ...
    const auto& channels = form->loadedTape_->Channels;
    for (int n = 0; n < NumChannelButtons; ++n)
        form->ToolButtonChannel[n]->setChecked(channels.IsAllocated(n) && channels[n].Enabled);
    form->MenuOptionsShowAllChannelButtonsClick();
    form->DataUnsaved = false;
    form->ToolButtonLoad->setChecked(false);
    if (!result.Warning.empty())
        host_.dialogs->message({result.Warning, applicationTitle(), MsgButtons::Ok, MsgIcon::Warning, MsgAnswer::Ok});
    return form;
}

void TGraphForm::menuFilePrintClick() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) PrintTo(printer);
}

}  // namespace vx
