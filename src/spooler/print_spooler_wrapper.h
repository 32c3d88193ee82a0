#pragma once

#include "spooler/print_spooler.h"
#include "system/call_ref.h"

namespace kv {

// The spooler operations, for wrappers and stand-ins that treat calls by kind.
enum class SpoolerOperation {
  EnumPrinters,
  EnumPrinterDrivers,
  EnumPorts,
  OpenPrinter,
  GetPrinter,
  ClosePrinter,
  DeletePrinter,
  DeletePrinterConnection,
  EnumPerMachineConnections,
  DeletePerMachineConnection,
  DeletePrinterDriverEx,
  DeletePort,
  XcvData,
};

// Forwards every call to a target print system, so that a wrapper (a timing one, one that injects
// failures) overrides only what it changes. Every forwarded operation passes through pass(); a
// wrapper that treats all calls alike overrides that alone. lastError() is the target's.
class PrintSpoolerWrapper : public PrintSpooler {
 public:
  explicit PrintSpoolerWrapper(PrintSpooler& target) : target_(target) {}

  bool enumPrintersW(std::uint32_t flags, const wchar_t* name, std::uint32_t level,
                     std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                     std::uint32_t* returned) override {
    return forward(SpoolerOperation::EnumPrinters, [&] {
      return target_.enumPrintersW(flags, name, level, buffer, bufferSize, needed, returned);
    });
  }
  bool enumPrinterDriversW(const wchar_t* server, const wchar_t* environment, std::uint32_t level,
                           std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                           std::uint32_t* returned) override {
    return forward(SpoolerOperation::EnumPrinterDrivers, [&] {
      return target_.enumPrinterDriversW(server, environment, level, buffer, bufferSize, needed,
                                         returned);
    });
  }
  bool enumPortsW(const wchar_t* server, std::uint32_t level, std::uint8_t* buffer,
                  std::uint32_t bufferSize, std::uint32_t* needed,
                  std::uint32_t* returned) override {
    return forward(SpoolerOperation::EnumPorts, [&] {
      return target_.enumPortsW(server, level, buffer, bufferSize, needed, returned);
    });
  }
  bool openPrinterW(const wchar_t* name, SpoolerHandle* handle,
                    std::uint32_t desiredAccess) override {
    return forward(SpoolerOperation::OpenPrinter,
                   [&] { return target_.openPrinterW(name, handle, desiredAccess); });
  }
  bool getPrinterW(SpoolerHandle handle, std::uint32_t level, std::uint8_t* buffer,
                   std::uint32_t bufferSize, std::uint32_t* needed) override {
    return forward(SpoolerOperation::GetPrinter,
                   [&] { return target_.getPrinterW(handle, level, buffer, bufferSize, needed); });
  }
  bool closePrinter(SpoolerHandle handle) override {
    return forward(SpoolerOperation::ClosePrinter, [&] { return target_.closePrinter(handle); });
  }
  bool deletePrinter(SpoolerHandle handle) override {
    return forward(SpoolerOperation::DeletePrinter, [&] { return target_.deletePrinter(handle); });
  }
  bool deletePrinterConnectionW(const wchar_t* name) override {
    return forward(SpoolerOperation::DeletePrinterConnection,
                   [&] { return target_.deletePrinterConnectionW(name); });
  }
  bool enumPerMachineConnectionsW(const wchar_t* server, std::uint8_t* buffer,
                                  std::uint32_t bufferSize, std::uint32_t* needed,
                                  std::uint32_t* returned) override {
    return forward(SpoolerOperation::EnumPerMachineConnections, [&] {
      return target_.enumPerMachineConnectionsW(server, buffer, bufferSize, needed, returned);
    });
  }
  bool deletePerMachineConnectionW(const wchar_t* server, const wchar_t* printerName) override {
    return forward(SpoolerOperation::DeletePerMachineConnection,
                   [&] { return target_.deletePerMachineConnectionW(server, printerName); });
  }
  bool deletePrinterDriverExW(const wchar_t* server, const wchar_t* environment,
                              const wchar_t* driverName, std::uint32_t deleteFlags,
                              std::uint32_t versionFlag) override {
    return forward(SpoolerOperation::DeletePrinterDriverEx, [&] {
      return target_.deletePrinterDriverExW(server, environment, driverName, deleteFlags,
                                            versionFlag);
    });
  }
  bool deletePortW(const wchar_t* server, void* window, const wchar_t* portName) override {
    return forward(SpoolerOperation::DeletePort,
                   [&] { return target_.deletePortW(server, window, portName); });
  }
  bool xcvDataW(SpoolerHandle handle, const wchar_t* dataName, const std::uint8_t* input,
                std::uint32_t inputSize, std::uint8_t* output, std::uint32_t outputSize,
                std::uint32_t* outputNeeded, std::uint32_t* status) override {
    return forward(SpoolerOperation::XcvData, [&] {
      return target_.xcvDataW(handle, dataName, input, inputSize, output, outputSize, outputNeeded,
                              status);
    });
  }
  std::uint32_t lastError() override { return target_.lastError(); }

 protected:
  PrintSpooler& target() { return target_; }

  // Makes one forwarded call of `operation`.
  virtual void pass(SpoolerOperation, CallRef call) { call(); }

 private:
  template <typename Call>
  bool forward(SpoolerOperation operation, const Call& call) {
    bool ok = false;
    pass(operation, [&] { ok = call(); });
    return ok;
  }

  PrintSpooler& target_;
};

}  // namespace kv
