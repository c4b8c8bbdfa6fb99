// The texts of the "TWAIN Error" boxes: recorded errors, return codes and condition codes.
#include <iterator>

#include "twain/TwainAcquire.h"

namespace {

const char* const ErrorTexts[] = {
    "[no details available]",
    "",
    "DAT_CAPABILITY/MSG_GET failed",
    "DAT_CAPABILITY/MSG_SET failed",
    "Source Manager operation failed",
    "DataSource operation failed",
    "",
    "TWAIN session not in State 4 (Source Open)",
    "MSG_GET returned a NULL container handle",
    "MSG_GET returned an invalid container handle",
    "Returned container is not valid type",
    "Returned container has invalid ItemType",
    "Returned container is empty",
    "App and source found NO values in common",
};

const char* const ReturnCodeNames[] = {
    "TWRC_SUCCESS", "TWRC_FAILURE", "TWRC_CHECKSTATUS ('tried hard')", "TWRC_CANCEL",
    "TWRC_DSEVENT", "TWRC_NOTDSEVENT", "TWRC_XFERDONE", "TWRC_ENDOFLIST",
};

const char* const ConditionCodeNames[] = {
    "TWCC_SUCCESS",
    "TWCC_BUMMER (Failure due to unknown causes)",
    "TWCC_LOWMEMORY",
    "TWCC_NODS (No Data Source)",
    "TWCC_MAXCONNECTIONS (DS is connected to max possible apps)",
    "TWCC_OPERATIONERROR (DS or DSM reported error, app shouldn't)",
    "TWCC_BADCAP (Unknown capability)",
    "7 (undefined)",
    "8 (undefined)",
    "TWCC_BADPROTOCOL (Unrecognized triplet)",
    "TWCC_BADVALUE (Data parameter out of range)",
    "TWCC_SEQERROR (Triplet out of sequence)",
    "TWCC_BADDEST (Unknown dest. App/Src in DSM_Entry)",
};

} // namespace

std::string TwainErrorText(int code)
{
    if (code < 0 || code >= int(std::size(ErrorTexts))) return std::to_string(code) + " (undefined)";
    return ErrorTexts[code];
}

std::string TwainReturnCodeName(TW_UINT16 rc)
{
    if (rc >= std::size(ReturnCodeNames)) return std::to_string(rc) + " (undefined)";
    return ReturnCodeNames[rc];
}

std::string TwainConditionCodeName(TW_UINT16 cc)
{
    if (cc >= std::size(ConditionCodeNames)) return std::to_string(cc) + " (undefined)";
    return ConditionCodeNames[cc];
}
