#include "messages/fatal_end.h"

#include <cstdlib>

#include "log/logger.h"
#include "log/operation_record.h"
#include "messages/error_dialog.h"

namespace kv {

void fatalEnd(std::int32_t code, const std::wstring& insert) {
  detailLog().error() << L"Error constant = " << code << endLine;
  showErrorForCode(code, insert);
  detailLog().close();
  finishOperationRecord(code, false);
  std::exit(code);
}

}  // namespace kv
