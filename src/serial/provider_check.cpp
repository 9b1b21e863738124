#include "serial/provider_check.hpp"

namespace {

constexpr uint16_t FIRST_PROPERTIES_LENGTH = 62;
constexpr uint32_t REQUIRED_PARAMS = 0x0F;       // SP_PARITY | SP_BAUD | SP_DATABITS | SP_STOPBITS
constexpr uint16_t REQUIRED_DATA = 0x0008;       // DATABITS_8
constexpr uint16_t REQUIRED_STOP_PARITY = 0x0101;// STOPBITS_10 | PARITY_NONE
constexpr uint32_t REQUIRED_PROVIDER = 0x00C0;   // PCF_TOTALTIMEOUTS | PCF_INTTIMEOUTS

bool refuse(OpenFailure& failure, OpenStep step, uint32_t reported) {
    failure = {step, reported};
    return false;
}

}  // namespace

bool check_provider(const PropertiesReader& query, OpenFailure& failure) {
    CommProperties first{};
    if (!query(PropertiesQuery::provider_length, FIRST_PROPERTIES_LENGTH, first))
        return refuse(failure, OpenStep::record_length, 0);
    CommProperties props{};
    if (!query(PropertiesQuery::full_record, first.packet_length, props))
        return refuse(failure, OpenStep::properties, 0);
    if ((props.settable_params & REQUIRED_PARAMS) != REQUIRED_PARAMS)
        return refuse(failure, OpenStep::params_fixed, props.settable_params);
    if ((props.settable_data & REQUIRED_DATA) != REQUIRED_DATA)
        return refuse(failure, OpenStep::data_bits_fixed, props.settable_data);
    if ((props.settable_stop_parity & REQUIRED_STOP_PARITY) != REQUIRED_STOP_PARITY)
        return refuse(failure, OpenStep::stop_parity_fixed, props.settable_stop_parity);
    if ((props.provider_capabilities & REQUIRED_PROVIDER) != REQUIRED_PROVIDER)
        return refuse(failure, OpenStep::timeouts_fixed, props.provider_capabilities);
    return true;
}
