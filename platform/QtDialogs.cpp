#include "platform/QtDialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace vx {

namespace {

QMessageBox::StandardButton toQt(MsgAnswer answer) {
    switch (answer) {
    case MsgAnswer::Ok: return QMessageBox::Ok;
    case MsgAnswer::Cancel: return QMessageBox::Cancel;
    case MsgAnswer::Yes: return QMessageBox::Yes;
    case MsgAnswer::No: return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

QMessageBox::StandardButtons toQt(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok: return QMessageBox::Ok;
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon toQt(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Stop: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// Closing the box without a button counts as its escape answer.
MsgAnswer fromQt(int button, MsgButtons buttons) {
    switch (button) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    }
    switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo: return MsgAnswer::No;
    default: return MsgAnswer::Cancel;
    }
}

QColor fromBgr(uint32_t c) { return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)); }
uint32_t toBgr(const QColor& c) { return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16; }

// The filter entry at index in a ";;"-separated filter text.
QString filterAt(const std::string& filter, int index) {
    const QStringList entries = QString::fromStdString(filter).split(";;");
    return index >= 0 && index < entries.size() ? entries[index] : QString();
}

int indexOfFilter(const std::string& filter, const QString& chosen) {
    const QStringList entries = QString::fromStdString(filter).split(";;");
    const int index = int(entries.indexOf(chosen));
    return index < 0 ? 0 : index;
}

std::optional<FileChoice> runFileDialog(QWidget* parent, const FileRequest& request, bool save) {
    QString selected = filterAt(request.filter, request.filterIndex);
    const QString title = QString::fromStdString(request.title);
    const QString start = QString::fromStdString(request.initialName);
    const QString filter = QString::fromStdString(request.filter);
    const QString path = save ? QFileDialog::getSaveFileName(parent, title, start, filter, &selected)
                              : QFileDialog::getOpenFileName(parent, title, start, filter, &selected);
    if (path.isEmpty()) return std::nullopt;
    return FileChoice{path.toStdString(), indexOfFilter(request.filter, selected)};
}

}  // namespace

MsgAnswer QtDialogs::message(const MessageRequest& request) {
    QMessageBox box(toQt(request.icon), QString::fromStdString(request.caption), QString::fromStdString(request.text),
                    toQt(request.buttons), parent_);
    box.setDefaultButton(toQt(request.defaultAnswer));
    return fromQt(box.exec(), request.buttons);
}

std::optional<FileChoice> QtDialogs::openFile(const FileRequest& request) {
    return runFileDialog(parent_, request, false);
}

std::optional<FileChoice> QtDialogs::saveFile(const FileRequest& request) {
    return runFileDialog(parent_, request, true);
}

std::optional<uint32_t> QtDialogs::chooseColour(uint32_t initial) {
    const QColor colour = QColorDialog::getColor(fromBgr(initial), parent_);
    if (!colour.isValid()) return std::nullopt;
    return toBgr(colour);
}

}  // namespace vx
