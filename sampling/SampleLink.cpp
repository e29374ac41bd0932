#include "sampling/SampleLink.h"

#include "link/AppQuery.h"
#include "link/SerialPortLayer.h"

namespace vx {

std::string PortSampleLink::AppQuery(const std::string& query) { return protocol_.AppQuery(query); }
bool PortSampleLink::WriteStringWaitForEcho(const char* text) { return port_.WriteStringWaitForEcho(text); }
bool PortSampleLink::WriteStringNoEcho(const char* text) { return port_.WriteStringNoEcho(text); }
bool PortSampleLink::ReadString(char* buffer, size_t size) { return port_.ReadString(buffer, size); }

void PortSampleLink::waitForInput(uint32_t ms) {
    // A closed port returns at once; sit the time out rather than spin.
    const uint32_t start = port_.clock().ticks();
    if (!port_.device().waitForInput(ms) && port_.clock().ticks() - start < ms)
        port_.clock().sleep(ms - (port_.clock().ticks() - start));
}

uint32_t PortSampleLink::AppQueryTimeoutMs() { return protocol_.AppQueryTimeoutMs(); }
size_t PortSampleLink::HistoryLines() { return port_.MemoHistory().count(); }
void PortSampleLink::ClearHistory() { port_.MemoHistory().clear(); }
bool PortSampleLink::ApplicationRunning() { return protocol_.cbAppEnabled(); }
bool PortSampleLink::DeviceGone() { return port_.deviceGone(); }

}  // namespace vx
