#include "messages/result_codes.h"

#include <iterator>

namespace kv {
namespace {

// Indexed by code minus 1. The identifiers belong to the maker's whole tool family; the message
// text file may carry a text for any of them.
constexpr const wchar_t* kMessageIds[] = {
    L"IDS_MSI_ERR_OSNOTSUPPOTED",                 // 1
    L"IDS_MSI_ERR_OSISUNKNOWN",                   // 2
    L"IDS_KVTOOL_ERR_CMD_PARAM",                  // 3
    L"IDS_KVTOOL_ERR_READSCENARIO",               // 4
    L"IDS_KVTOOL_ERR_SCENARIONOTFOUND",           // 5
    L"IDS_KVTOOL_ERR_INVALIDFILEPATH",            // 6
    L"IDS_KVTOOL_ERR_INVALIDFILEPATH2",           // 7
    L"IDS_KVTOOL_ERR_INVALIDFILEPATH3",           // 8
    L"IDS_KVTOOL_ERR_INIFILE_PATH",               // 9
    L"IDS_KVTOOL_ERR_INIFILE_CHECK",              // 10
    L"IDS_KVTOOL_ERR_INIFILENOTFOUND",            // 11
    L"IDS_KVTOOL_ERR_READINIFILE",                // 12
    L"IDS_KVTOOL_ERR_WRITEINIFILE",               // 13
    L"IDS_KVTOOL_ERR_ADDPORT",                    // 14
    L"IDS_KVTOOL_ERR_CMDLINE",                    // 15
    L"IDS_KVTOOL_ERR_ENUMNETPRN",                 // 16
    L"IDS_KVTOOL_ERR_ENUMPRN",                    // 17
    L"IDS_KVTOOL_ERR_ENUMPORTS",                  // 18
    L"IDS_KVTOOL_ERR_ENUMDRIVERS",                // 19
    L"IDS_KVTOOL_ERR_AUTH",                       // 20
    L"IDS_KVTOOL_ERR_ADDDRIVER",                  // 21
    L"IDS_KVTOOL_ERR_ADDPRINTER",                 // 22
    L"IDS_KVTOOL_ERR_ADDPORT2",                   // 23
    L"IDS_KVTOOL_ERR_RSTFILECOPYERR",             // 24
    L"IDS_KVTOOL_ERR_DELETEDRIVERERR",            // 25
    L"IDS_KVTOOL_ERR_DELETEFILEERR",              // 26
    L"IDS_KVTOOL_ERR_DELETEPRINTERERR",           // 27
    L"IDS_KVTOOL_ERR_DELETEPORT",                 // 28
    L"IDS_KVTOOL_ERR_DUPSHARENAME",               // 29
    L"IDS_KVTOOL_ERR_NOWPRINTING",                // 30
    L"IDS_KVTOOL_ERR_CHECKENV",                   // 31
    L"IDS_KVTOOL_MSG_DRVNOTUPDATE",               // 32
    L"IDS_KVTOOL_ERR_SHAREPRINTERERR",            // 33
    L"IDS_KVTOOL_ERR_ALREADY_REGISTERED",         // 34
    L"IDS_KVTOOL_ERR_DRV_UNSUPPORTEDOS",          // 35
    L"IDS_KVTOOL_ERR_DISCON_NETPRN",              // 36
    L"IDS_KVTOOL_ERR_CONNECT_NETPRN",             // 37
    L"IDS_KVTOOL_ERR_DUPPRNANDSHARENAME",         // 38
    L"IDS_KVTOOL_ERR_CONFIGPORT",                 // 39
    L"IDS_KVTOOL_ERR_RENAMEPORT",                 // 40
    L"IDS_KVTOOL_ERR_RENAMEPRN",                  // 41
    L"IDS_KVTOOL_ERR_BUSY",                       // 42
    L"IDS_KVTOOL_MSG_DELETE_ADDREMOVE",           // 43
    L"IDS_KVTOOL_ERR_DELETE_DRVPKG",              // 44
    L"IDS_KVTOOL_ERR_ADDDRVPKG",                  // 45
    L"IDS_KVTOOL_MSG_CANCEL",                     // 46
    L"IDS_KVTOOL_ERR_INVALID_UTBLITEM",           // 47
    L"IDS_KVTOOL_ERR_INVALID_UTBLITEM2",          // 48
    L"IDS_KVTOOL_ERR_UTBLITEM_TOO_LONG",          // 49
    L"IDS_KVTOOL_ERR_UTBLITEM_TOO_LONG2",         // 50
    L"IDS_KVTOOL_ERR_INVALID_UTBLDATA",           // 51
    L"IDS_KVTOOL_ERR_INVALID_UTBLDATA2",          // 52
    L"IDS_KVTOOL_ERR_UTBLDATA_TOO_LONG",          // 53
    L"IDS_KVTOOL_ERR_SPOOLER_DOWN",               // 54
    L"IDS_KVTOOL_ERR_SERVICE_RESTART",            // 55
    L"IDS_KVTOOL_ERR_SERVICE_STOP",               // 56
    L"IDS_KVTOOL_ERR_WRONG_USERCODE",             // 57
    L"IDS_KVTOOL_ERR_UCLENGTHNG",                 // 58
    L"IDS_KVTOOL_ERR_SNLENGTHNG",                 // 59
    L"IDS_KVTOOL_ERR_VERDOWN",                    // 60
    L"IDS_KVTOOL_ERR_INVALID_SHARENAME",          // 61
    L"IDS_KVTOOL_ERR_PRNLENGTH",                  // 62
    L"IDS_KVTOOL_ERR_PASSWORD",                   // 63
    L"IDS_KVTOOL_ERR_WRONG_USERID",               // 64
    L"IDS_KVTOOL_ERR_UIDLENGTHNG",                // 65
    L"IDS_KVTOOL_ERR_INVALID_NETADDR",            // 66
    L"IDS_KVTOOL_ERR_REG_NOTAUTH_W",              // 67
    L"IDS_KVTOOL_ERR_REG_NOTAUTH_R",              // 68
    L"IDS_KVTOOL_ERR_NO_MONITOR",                 // 69
    L"IDS_KVTOOL_ERR_PORT_BUSY",                  // 70
    L"IDS_KVTOOL_ERR_PRINTER_BUSY",               // 71
    L"IDS_KVTOOL_ERR_INSTALL",                    // 72
    L"IDS_KVTOOL_ERR_NOTADMIN",                   // 73
    L"IDS_KVTOOL_MSG_CONTINUE",                   // 74
    L"IDS_KVTOOL_ERR_RESTART",                    // 75
    L"IDS_KVTOOL_MSG_RESTART",                    // 76
    L"IDS_KVTOOL_MSG_RESTART_AFTER",              // 77
    L"IDS_KVTOOL_MSG_RESTART_TITLE",              // 78
    L"IDS_KVTOOL_MSG_RESTART_NOW",                // 79
    L"IDS_KVTOOL_ERR_INSTALL_CANCELD",            // 80
    L"IDS_KVTOOL_MSG_NO_DEFAULT_PRINTER_NAME",    // 81
    L"IDS_KVTOOL_MSG_FAILE_SET_DEFAULT_PRINTER",  // 82
    L"IDS_MSI_ERR_OS_BIT_MISMATCH_32",            // 83
    L"IDS_MSI_ERR_OS_BIT_MISMATCH_64",            // 84
    L"IDS_KVTOOL_ERR_UNLENGTHNG",                 // 85
    L"IDS_KVTOOL_ERR_ACCESSDENIED",               // 86
    L"IDS_APP_ERR_OSNOTSUPPOTED",                 // 87
    L"IDS_APP_MSG_ALDER_DOM",                     // 88
    L"IDS_APP_MSG_ALDER_EXP",                     // 89
    L"IDS_APP_ERR_INSTALL_FAILED",                // 90
    L"IDS_KVTOOL_ERR_GETTRAYOPTIONINFO",          // 91
    L"IDS_KVTOOL_MSG_NO_HOTFIX",                  // 92
    L"IDS_KVTOOL_ERR_BASIC_USERCODE",             // 93
    L"IDS_KVTOOL_ERR_BASIC_USERCODE_VER",         // 94
    L"IDS_KVTOOL_ERR_GETPRINTERINFO",             // 95
    L"IDS_KVTOOL_ERR_RCFFILENOTFOUND",            // 96
    L"IDS_KVTOOL_ERR_READRCFFILE",                // 97
    L"IDS_KVTOOL_ERR_INVALID_RCFFILE",            // 98
    L"IDS_KVTOOL_ERR_STARTED",                    // 99
    L"IDS_KVTOOL_MSG_NORENEWDRIVER",              // 100
    L"IDS_KVTOOL_ERR_CMTLENGTH",                  // 101
    L"IDS_KVTOOL_ERR_LCTLENGTH",                  // 102
    L"IDS_KVTOOL_ERR_UIDLENGTHNG2",               // 103
    L"IDS_KVTOOL_ERR_STARTINSTALLER",             // 104
    L"IDS_KVTOOL_ERR_INSTALLER",                  // 105
    L"IDS_KVTOOL_ERR_STARTPORTMONITOR",           // 106
    L"IDS_KVTOOL_ERR_PORTMONITOR",                // 107
    L"IDS_APP_MSG_SOLANO_DOM",                    // 108
    L"IDS_APP_MSG_SOLANO_EXP",                    // 109
    L"IDS_KVTOOL_ERR_V4DRIVER_NOTSUPPORTED_OS",   // 110
    L"IDS_KVTOOL_ERR_CLOSEPRINTERPROPERTY",       // 111
    L"IDS_KVTOOL_MSG_NO_HOTFIX2",                 // 112
    L"IDS_KVTOOL_ERR_PORTNAME",                   // 113
};
static_assert(std::size(kMessageIds) == kLastResultCode - kFirstResultCode + 1);

}  // namespace

bool messageIdForCode(std::int32_t code, std::wstring& id) {
  if (code < kFirstResultCode || code > kLastResultCode) {
    id.clear();
    return false;
  }
  id = kMessageIds[code - kFirstResultCode];
  return true;
}

bool messageTextForCode(const MessageFile& file, std::int32_t code, std::wstring& text) {
  std::wstring id;
  if (!messageIdForCode(code, id)) return false;
  return MessageFile::readText(file.path(), file.section(), id, text);
}

}  // namespace kv
