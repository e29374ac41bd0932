#include "link/Kit.h"

namespace vx {

Kit::Kit(Clock& clock, Dialogs& dialogs)
    : clock_(clock), devices_(clock), port_(devices_, clock), query_(port_), sequence_(port_, query_, dialogs) {}

Kit::~Kit() { disconnect(); }

Kit::ConnectResult Kit::connect(const std::string& port, const std::vector<std::string>& searched,
                                const std::string& loaderPath, const std::function<bool()>& stopAsked,
                                const std::function<void()>& onTick) {
    using S = ConnectionSequence;
    sequence_.setPortList(searched);
    sequence_.setFriendlyPort(port);
    sequence_.SelectFilename(loaderPath);
    if (sequence_.view().cbDLerror) return {Outcome::LoaderMissing, "Cannot find the loader file " + loaderPath + "."};

    sequence_.btnOkClick();
    while (sequence_.ConnState() != ConnectionState::Idle && sequence_.ConnState() != ConnectionState::Running) {
        if (stopAsked && stopAsked()) {
            disconnect();
            return {Outcome::Stopped, "Stopped."};
        }
        if (sequence_.ConnState() == ConnectionState::Beacon &&
            clock_.ticks() - sequence_.BeaconStartTick() > S::BeaconPromptMs + BeaconGiveUpMs) {
            const std::string where = port_.cbxHwPort();
            disconnect();
            return {Outcome::LinkFailed, "No beacon from the module on " + where +
                                             ": press and release the module's reset button and try again."};
        }
        if (onTick) onTick();
        clock_.sleep(sequence_.nextTickMs());
        sequence_.Timer1Timer();
    }
    if (running()) return {Outcome::Running, sequence_.view().LabelStatus};
    const std::string why = sequence_.view().LabelStatus;
    disconnect();
    if (why.rfind("Not found", 0) == 0) {
        // The history says why the last port tried would not open.
        const auto& lines = port_.MemoHistory().lines();
        for (auto line = lines.rbegin(); line != lines.rend(); ++line)
            if (line->rfind("Error", 0) == 0 || line->rfind("Rejected", 0) == 0)
                return {Outcome::NotFound, why + " " + *line};
        return {Outcome::NotFound, why};
    }
    if (sequence_.view().cbDLerror) return {Outcome::LoaderMissing, "Cannot read the loader file " + loaderPath + "."};
    return {Outcome::LinkFailed, why.empty() ? "The connection sequence stopped." : why};
}

void Kit::disconnect() {
    if (!port_.isPortOpen()) return;
    sequence_.btnStopClick();
}

}  // namespace vx
