#include "reports/report_form.h"

namespace trelm {

ReportForm reportFormOf(const FileHeader &header, const EventRecord &event) {
    ReportForm form{isEightChannel(header.modelFlag), event.samplerConfig,
                    activeChannels(header.modelFlag, event.samplerConfig)};
    if (!form.eightChannel)
        form.channels.filters = {1};
    return form;
}

std::string strForm(long n) { return n < 0 ? std::to_string(n) : " " + std::to_string(n); }

} // namespace trelm
