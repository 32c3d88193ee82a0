#include "messages/error_dialog.h"

#include "log/logger.h"
#include "messages/message_file.h"
#include "messages/message_format.h"
#include "messages/result_codes.h"
#include "system/system_services.h"

namespace kv {
namespace {

struct DialogSettings {
  bool enabled = false;
  std::wstring messageFilePath;
};

DialogSettings& settings() {
  static DialogSettings instance;
  return instance;
}

}  // namespace

void setMessageBoxesEnabled(bool enabled) { settings().enabled = enabled; }

bool messageBoxesEnabled() { return settings().enabled; }

const std::wstring& runMessageFilePath() { return settings().messageFilePath; }

bool checkMessageFile(const std::wstring& path) {
  MessageFile file;
  const bool found = file.setPath(path);
  // Kept even when missing, so that later notices name the file that was looked for.
  settings().messageFilePath = path;
  if (found) return true;

  std::wstring caption;
  file.getCaption(caption);
  std::wstring notice;
  file.noTextNotice(notice);
  detailLog().warn().writeLines(notice) << endLine;
  if (messageBoxesEnabled()) {
    releaseLogFileLock();
    SystemServices::current().messageBox(notice, caption, kErrorBoxStyle);
  }
  return false;
}

void showErrorForCode(std::int32_t code, const std::wstring& insert) {
  if (!messageBoxesEnabled()) return;
  const MessageFile file(runMessageFilePath());
  std::wstring caption;
  file.getCaption(caption);

  std::wstring text;
  if (!messageTextForCode(file, code, text)) {
    std::wstring notice;
    file.noTextNotice(notice);
    detailLog().debug().writeLines(notice + L",\nError constant=") << code << endLine;
    return;
  }
  const std::wstring message = insert.empty() ? text : insertIntoMessage(text, insert);
  releaseLogFileLock();
  SystemServices::current().messageBox(message, caption, kErrorBoxStyle);
}

}  // namespace kv
