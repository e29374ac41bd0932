// The graph window's spectrum controls: the Spectrum view button, the window
// choice and the table's noise rows in the Options menu, and saving the
// spectrum with its figures.
#include <QActionGroup>
#include <QGuiApplication>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <fstream>
#include <utility>

#include "graph/SpectrumView.h"
#include "graph/ZrGraphPainter.h"
#include "graphwin/GraphForm.h"
#include "graphwin/ReadingTimerPause.h"
#include "platform/Dialogs.h"

namespace vx {

void TGraphForm::buildSpectrumControls() {
    ToolButtonSpectrum = new QToolButton(ToolBarActions);
    ToolButtonSpectrum->setCheckable(true);
    ToolButtonSpectrum->setText(QStringLiteral("Spectrum"));
    ToolButtonSpectrum->setToolTip(QStringLiteral("View the spectrum of the current channel, with SNR, THD and ENOB"));
    ToolButtonSpectrum->setAutoRaise(true);
    ToolButtonSpectrum->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBarActions->addWidget(ToolButtonSpectrum);
    connect(ToolButtonSpectrum, &QToolButton::clicked, this, [this] { showView(ZrGraphPainter::SpectrumViewMode); });

    menuFileSaveSpectrum = new QAction(QStringLiteral("Save Spectrum..."), this);
    menuFile->insertAction(menuFilePrint, menuFileSaveSpectrum);
    connect(menuFileSaveSpectrum, &QAction::triggered, this, [this] { SaveSpectrum(); });

    menuSpectrumWindow = MenuOptions->addMenu(QStringLiteral("Spectrum Window"));
    auto* group = new QActionGroup(this);
    const SpectrumWindow windows[] = {SpectrumWindow::BlackmanHarris, SpectrumWindow::Hann, SpectrumWindow::None};
    for (std::size_t i = 0; i < menuSpectrumWindowItem.size(); ++i) {
        QAction* item = menuSpectrumWindow->addAction(QString::fromLatin1(WindowName(windows[i])));
        item->setCheckable(true);
        item->setChecked(i == 0);
        group->addAction(item);
        menuSpectrumWindowItem[i] = item;
        item->setObjectName(QStringLiteral("menuSpectrumWindowItem%1").arg(i));
        connect(item, &QAction::triggered, this, [this, window = windows[i]] { SetSpectrumWindow(window); });
    }
    MenuOptionsNoiseFigures = MenuOptions->addAction(QStringLiteral("Noise Figures in Table"));
    MenuOptionsNoiseFigures->setCheckable(true);
    connect(MenuOptionsNoiseFigures, &QAction::triggered, this, [this](bool on) {
        painter_->ShowNoise = on;
        painter_->update();
    });

    // Each control is found by its member's name.
    const std::pair<QObject*, const char*> controls[] = {{ToolButtonSpectrum, "ToolButtonSpectrum"},
                                                         {menuFileSaveSpectrum, "menuFileSaveSpectrum"},
                                                         {menuSpectrumWindow, "menuSpectrumWindow"},
                                                         {MenuOptionsNoiseFigures, "MenuOptionsNoiseFigures"}};
    for (const auto& [control, name] : controls) control->setObjectName(name);
}

void TGraphForm::SetSampleRate(double hz) {
    painter_->Spectrum().sampleRate = hz;
    if (painter_->ViewMode() == ZrGraphPainter::SpectrumViewMode) painter_->ShowSpectrum();
}

void TGraphForm::SetSpectrumWindow(SpectrumWindow window) {
    painter_->Spectrum().window = window;
    if (painter_->ViewMode() == ZrGraphPainter::SpectrumViewMode) painter_->Redraw();
}

void TGraphForm::showSpectrum() {
    const CodeLimits& limits = *host_.limits;
    painter_->Spectrum().codeSpan = double(limits.MaxCode) - limits.MinCode + 1;
    painter_->ShowSpectrum();
}

bool TGraphForm::SaveSpectrum() {
    ReadingTimerPause pause(host_);
    Dialogs& dialogs = *host_.dialogs;
    const std::string title = QGuiApplication::applicationDisplayName().toStdString();
    if (painter_->ViewMode() != ZrGraphPainter::SpectrumViewMode) showView(ZrGraphPainter::SpectrumViewMode);
    if (!painter_->Spectrum().result().valid) {
        dialogs.message({"There is no spectrum to save: no channel shown has enough records for one.", title,
                         MsgButtons::Ok, MsgIcon::Stop, MsgAnswer::Ok});
        return false;
    }
    const auto choice = dialogs.saveFile({"Save Spectrum to File", "Comma-Spaced Values (*.CSV *.csv);;All Files (*)",
                                          DefaultFileName(windowTitle().toStdString()) + "-spectrum.CSV", 0});
    if (!choice) return false;
    std::ofstream file(choice->path, std::ios::binary | std::ios::trunc);
    file << painter_->Spectrum().csv();
    file.close();
    if (!file) {
        dialogs.message({"Could not write " + choice->path + ".", title, MsgButtons::Ok, MsgIcon::Stop, MsgAnswer::Ok});
        return false;
    }
    return true;
}

}  // namespace vx
