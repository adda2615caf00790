#include "reports/report_form.h"

namespace trelm {

ReportForm reportFormOf(const FileHeader &header, const EventRecord &event) {
    ReportForm form{isEightChannel(header.modelFlag), event.samplerConfig,
                    activeChannels(header.modelFlag, event.samplerConfig)};
    if (!form.eightChannel)
        form.channels.filters = {1};
    return form;
}

std::string strForm(long n) {
    std::string text = n < 0 ? "" : " ";
    text += std::to_string(n);
    return text;
}

} // namespace trelm
