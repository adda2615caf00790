#include "reports/report_form.h"

namespace trelm {

ReportForm reportFormOf(const FileHeader &header, const EventRecord &event) {
    const std::int16_t flag = header.modelFlag;
    const std::int16_t code = event.samplerConfig;
    return ReportForm{isEightChannel(flag), code, filtersShown(flag, code), activeChannels(flag, code).canisters,
                      labelFormsOf(flag, code)};
}

} // namespace trelm
