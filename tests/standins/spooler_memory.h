#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "spooler/print_spooler_wrapper.h"
#include "standins/fault_plan.h"
#include "standins/memory_object_list.h"

namespace kv {

// A print system held in memory that honours winspool's contract: two-call buffer sizing
// (records at the start of the caller's buffer, their strings packed behind them, pointers into
// the buffer), needed sizes, handles, and winspool's last-error codes. Tests fill it, make calls
// fail, change it between calls and read back what the port monitors received.
//
// Codes it gives: 122 for a buffer that is missing or too small (with *needed set); 124 for a
// level it does not serve; 1801 when opening a queue that does not exist; 1796 when opening
// ",XcvMonitor <name>" for a monitor that does not exist (winspool's answer too); 6 for a
// handle that is not open or of the wrong kind; 5 for deleting a queue or sending a monitor
// command through a handle opened without that right; 2 for deleting a connection that does
// not exist; 1797 for deleting a driver that is not installed; 3001 for a driver a local queue
// or a connection (any user's, or the machine's) still uses; 1796 for removing a port that does
// not exist; 1722 for opening a print server's queue on a server that does not answer; 5 for
// deleting a per-machine connection without administrator rights; 1801 for deleting one that does
// not exist; 170 for deleting a port that a queue's port text names (DeletePortW, or the status
// of a monitor's "DeletePort").
//
// Connections belong to a user: the calling user (setCallingUser) lists and deletes only their
// own, and LocalSystem has none, as the Windows spooler answers it. Per-machine connections
// belong to the machine and name a queue of a print server (addServerQueue), whose driver is
// the one they hold. Names are compared without regard
// to letter case (ASCII), as the Windows spooler does.
//
// A text that is absent (std::nullopt) is reported as a null pointer.
//
// Lookups by name and removals do not walk the lists, so that a benchmark can hold hundreds of
// thousands of queues and ports, until a list has been read through its accessor: from then on
// it is the plain list the accessor returned, which a test may keep and change.
class MemoryPrintSystem : public PrintSpooler {
 public:
  using Text = std::optional<std::wstring>;

  struct Connection {
    std::wstring name;
    Text driver;
  };

  struct Queue {
    std::wstring name;
    Text driver;
    Text port;  // the port text, which may name several ports
    std::uint32_t status = 0;
    std::uint32_t jobs = 0;
    // Opening it fails with this code (5: an administrator took the caller's rights away).
    std::uint32_t refusedOpen = 0;
  };

  struct Driver {
    Text name;
    // The driver environment; none for the machine's own, kOwnEnvironment.
    Text environment = std::nullopt;
    // The INF of its package in the driver store, listed at level 8.
    Text infPath = std::nullopt;
  };
  static constexpr wchar_t kOwnEnvironment[] = L"Windows x64";

  struct Port {
    Text name;
    Text monitor;
    Text description;
    std::uint32_t type = 0;
  };

  // One transceive call a monitor received.
  struct XcvCall {
    std::wstring command;
    std::vector<std::uint8_t> input;  // byte for byte
  };

  struct Monitor {
    std::wstring name;
    // The status the monitor answers "DeletePort" with. On 0 it also removes the port the record
    // names, as a real monitor would.
    std::uint32_t deletePortStatus = 0;
    std::vector<XcvCall> received;
  };

  static constexpr wchar_t kSignedInUser[] = L"user";
  static constexpr wchar_t kLocalSystem[] = L"SYSTEM";
  // Whose connections the calls see from now on; kSignedInUser until changed.
  void setCallingUser(std::wstring user) { callingUser_ = std::move(user); }
  void setCallerAdministrator(bool administrator) { callerAdministrator_ = administrator; }

  // Objects, in the order the enumerations list them.
  void addConnection(Connection connection, const std::wstring& user = kSignedInUser) {
    connectionsOf_[user].add(std::move(connection));
  }
  // A queue "\\server\queue" of a print server that answers. A server with no queue added
  // does not answer.
  void addServerQueue(Connection queue) { serverQueues_.push_back(std::move(queue)); }
  void addMachineConnection(std::wstring name) { machineConnections_.push_back(std::move(name)); }
  void addQueue(Queue queue) { queues_.add(std::move(queue)); }
  // A driver of another environment is listed only for that environment by name; until one is
  // added, every driver is listed whatever environment a listing names.
  void addDriver(Text name, Text environment = std::nullopt, Text infPath = std::nullopt) {
    otherEnvironments_ = otherEnvironments_ || environment.has_value();
    drivers_.add(Driver{std::move(name), std::move(environment), std::move(infPath)});
  }
  void addPort(Port port) { ports_.add(std::move(port)); }
  Monitor& addMonitor(const std::wstring& name, std::uint32_t deletePortStatus = 0);

  // The calling user's connections, or those of `user`.
  const std::vector<Connection>& connections() const { return connectionsOf(callingUser_); }
  const std::vector<Connection>& connectionsOf(const std::wstring& user) const {
    return connectionsOf_[user].handOut();
  }
  const std::vector<std::wstring>& machineConnections() const { return machineConnections_; }
  const std::vector<Queue>& queues() const { return queues_.handOut(); }
  std::vector<Queue>& queues() { return queues_.handOut(); }
  const std::vector<Driver>& drivers() const { return drivers_.handOut(); }
  const std::vector<Port>& ports() const { return ports_.handOut(); }
  // The monitor of that name (any case), or null.
  Monitor* monitor(const std::wstring& name);

  // The next `passing` calls of `operation` run as usual; the one after them fails with `error`
  // and changes nothing. Once only.
  void failNext(SpoolerOperation operation, std::uint32_t error, int passing = 0);
  // Every call of `operation` fails with `error` until stopFailing.
  void failAlways(SpoolerOperation operation, std::uint32_t error);
  void stopFailing(SpoolerOperation operation);

  // Runs `hook` once, right after the next call of `operation` (for example between an
  // enumeration's sizing call and its fetch).
  void afterNextCall(SpoolerOperation operation, std::function<void()> hook);

  // Windows leaves whatever value it had in the last-error slot after a successful call. With a
  // value set here every successful call writes it there, so that a caller that reads the code
  // too late reads this value instead of its failure's code.
  void setLeftoverErrorOnSuccess(std::optional<std::uint32_t> code) { leftover_ = code; }

  // Every call made, in order, written like the call itself with numbers in decimal, "null" for
  // a null pointer, "buffer" for a non-null buffer and "h<n>" for the n-th handle handed out,
  // for example "OpenPrinterW(Queue 1, 983052)" or "EnumPortsW(null, 2, buffer, 80)".
  const std::vector<std::wstring>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  // Handles handed out and not closed yet.
  std::size_t openHandleCount() const { return handles_.size(); }

  bool enumPrintersW(std::uint32_t flags, const wchar_t* name, std::uint32_t level,
                     std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                     std::uint32_t* returned) override;
  bool enumPrinterDriversW(const wchar_t* server, const wchar_t* environment, std::uint32_t level,
                           std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                           std::uint32_t* returned) override;
  bool enumPortsW(const wchar_t* server, std::uint32_t level, std::uint8_t* buffer,
                  std::uint32_t bufferSize, std::uint32_t* needed,
                  std::uint32_t* returned) override;
  bool openPrinterW(const wchar_t* name, SpoolerHandle* handle,
                    std::uint32_t desiredAccess) override;
  bool getPrinterW(SpoolerHandle handle, std::uint32_t level, std::uint8_t* buffer,
                   std::uint32_t bufferSize, std::uint32_t* needed) override;
  bool closePrinter(SpoolerHandle handle) override;
  bool deletePrinter(SpoolerHandle handle) override;
  bool deletePrinterConnectionW(const wchar_t* name) override;
  bool enumPerMachineConnectionsW(const wchar_t* server, std::uint8_t* buffer,
                                  std::uint32_t bufferSize, std::uint32_t* needed,
                                  std::uint32_t* returned) override;
  bool deletePerMachineConnectionW(const wchar_t* server, const wchar_t* printerName) override;
  bool deletePrinterDriverExW(const wchar_t* server, const wchar_t* environment,
                              const wchar_t* driverName, std::uint32_t deleteFlags,
                              std::uint32_t versionFlag) override;
  bool deletePortW(const wchar_t* server, void* window, const wchar_t* portName) override;
  bool xcvDataW(SpoolerHandle handle, const wchar_t* dataName, const std::uint8_t* input,
                std::uint32_t inputSize, std::uint8_t* output, std::uint32_t outputSize,
                std::uint32_t* outputNeeded, std::uint32_t* status) override;
  std::uint32_t lastError() override { return lastError_; }

 private:
  enum class HandleKind { Server, Queue, Monitor, ServerQueue };
  struct OpenHandle {
    HandleKind kind;
    std::wstring target;  // queue or monitor name
    std::uint32_t access;
  };

  // Begins a call: records it and answers whether an injected failure ends it here.
  bool injectedFailure(SpoolerOperation operation, std::wstring call);
  bool succeed();
  bool fail(std::uint32_t error);
  // Ends a call with `ok` and runs a pending hook of the operation.
  bool finish(SpoolerOperation operation, bool ok);

  const OpenHandle* findHandle(SpoolerHandle handle) const;
  std::wstring handleText(SpoolerHandle handle) const;
  Queue* findQueue(const std::wstring& name);
  const Connection* findServerQueue(std::wstring_view name) const;
  // Whether a connection of any user, or of the machine, holds the driver.
  bool connectionUsesDriver(std::wstring_view driverName) const;
  struct ListedPrinter {
    const std::wstring* name;
    const Text* driver;
    const Text* port;
    std::uint32_t attributes;
    std::uint32_t status;
    std::uint32_t jobs;
  };
  std::vector<ListedPrinter> listPrinters(std::uint32_t flags) const;
  // The checks the three enumerations share, then `items` packed as `Record`s.
  template <typename Record, typename Item, typename Fill>
  bool enumerate(SpoolerOperation operation, std::wstring call, std::uint32_t level,
                 std::uint32_t servedLevel, const std::vector<Item>& items, Fill fill,
                 std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                 std::uint32_t* returned);
  bool getServerQueue(const std::wstring& name, std::uint32_t level, std::uint8_t* buffer,
                      std::uint32_t bufferSize, std::uint32_t* needed);
  bool removePortNamedInRecord(const std::vector<std::uint8_t>& record);
  static std::wstring portNamedInRecord(const std::vector<std::uint8_t>& record);
  // Whether a queue's port text names the port, which the spooler then refuses to delete.
  bool queueUsesPort(std::wstring_view port) const;

  static const std::wstring* nameOf(const Connection& item) { return &item.name; }
  static const std::wstring* nameOf(const Queue& item) { return &item.name; }
  static const std::wstring* nameOf(const Driver& item) { return textOf(item.name); }
  static const std::wstring* nameOf(const Port& item) { return textOf(item.name); }
  static const std::wstring* textOf(const Text& text) { return text ? &*text : nullptr; }

  // Per user; read through connections() it is handed out, hence mutable.
  mutable std::map<std::wstring, MemoryObjectList<Connection, nameOf>> connectionsOf_;
  std::wstring callingUser_ = kSignedInUser;
  bool callerAdministrator_ = true;
  std::vector<Connection> serverQueues_;
  std::vector<std::wstring> machineConnections_;
  MemoryObjectList<Queue, nameOf> queues_;
  MemoryObjectList<Driver, nameOf> drivers_;
  MemoryObjectList<Port, nameOf> ports_;
  std::deque<Monitor> monitors_;
  bool otherEnvironments_ = false;  // addMonitor hands out references that must stay valid

  FaultPlan<SpoolerOperation> faults_;
  std::map<SpoolerOperation, std::function<void()>> hooks_;
  std::map<std::uintptr_t, OpenHandle> handles_;
  std::uintptr_t nextHandle_ = 1;
  std::uint32_t lastError_ = 0;
  std::optional<std::uint32_t> leftover_;
  std::vector<std::wstring> calls_;
};

}  // namespace kv
