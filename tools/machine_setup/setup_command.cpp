#include "machine_setup/setup_command.h"

#include <cwchar>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "machine_setup/machine_setup.h"

namespace kv::setup {

const wchar_t kUsageText[] =
    L"usage: kvsetup <command> [arguments]\n"
    L"commands:\n"
    L"  add-port <port> [--monitor <monitor>]   add a port (monitor \"Local Port\" unless "
    L"given)\n"
    L"  delete-port <port>                      remove a port with DeletePortW\n"
    L"  add-driver <driver>                     install a driver with dummy files\n"
    L"  delete-driver <driver>                  remove a driver's registration\n"
    L"  add-queue <queue> --driver <driver> --port <port>\n"
    L"                                          add a local queue\n"
    L"  delete-queue <queue>                    delete a local queue\n"
    L"  add-monitor <name> --dll <file>         install the test port monitor under a name\n"
    L"  delete-monitor <name>                   remove a monitor with its ports and settings\n"
    L"  set-monitor <name> [--reported-monitor <text>] [--description <text>]\n"
    L"              [--port-type <n>] [--status <n>] [--record <file>]\n"
    L"              [--stop-process-at <n>]\n"
    L"                                          change a test port monitor's settings\n"
    L"  add-driver-package <inf file>           place a driver package in the driver store and\n"
    L"                                          print the name it is published under\n"
    L"  list ports|drivers|queues|monitors|products\n"
    L"                                          print one object per line, fields separated "
    L"by tabs;\n"
    L"                                          a product: code, name, publisher, uninstall "
    L"command\n"
    L"                                          of the 64-bit and of the 32-bit registry view "
    L"(- for none)\n"
    L"  help                                    print this text\n"
    L"exit codes: 0 done, 1 a Windows call failed, 2 bad command line\n";

namespace {

using Options = std::map<std::wstring, std::wstring>;

struct Invocation {
  std::vector<std::wstring> operands;
  Options options;
  std::wstring& out;
};

struct Command {
  const wchar_t* name;
  std::vector<std::wstring> operands;  // names for the messages, in order
  std::vector<std::wstring> required;  // options that must be given
  std::vector<std::wstring> optional;
  std::function<StepResult(Invocation&)> run;
};

struct UsageError {
  std::wstring message;
};

std::optional<std::wstring> option(const Options& options, const std::wstring& name) {
  const auto found = options.find(name);
  if (found == options.end()) return std::nullopt;
  return found->second;
}

// A decimal number of at most 32 bits.
std::optional<std::uint32_t> number(const Options& options, const std::wstring& name) {
  const std::optional<std::wstring> text = option(options, name);
  if (!text) return std::nullopt;
  bool valid = !text->empty() && text->size() <= 10;
  unsigned long long value = 0;
  for (wchar_t digit : *text) {
    if (digit < L'0' || digit > L'9') valid = false;
    value = value * 10 + static_cast<unsigned>(digit - L'0');
  }
  if (!valid || value > 0xFFFFFFFFull) throw UsageError{name + L" is not a number: " + *text};
  return static_cast<std::uint32_t>(value);
}

StepResult list(Invocation& call) {
  const std::wstring& what = call.operands[0];
  StepResult result;
  if (what == L"ports") {
    std::vector<PortEntry> ports;
    result = listPorts(ports);
    for (const PortEntry& port : ports) {
      call.out += port.name + L"\t" + port.monitor + L"\t" + port.description + L"\t" +
                  std::to_wstring(port.type) + L"\n";
    }
  } else if (what == L"drivers") {
    std::vector<std::wstring> drivers;
    result = listDrivers(drivers);
    for (const std::wstring& driver : drivers) call.out += driver + L"\n";
  } else if (what == L"queues") {
    std::vector<QueueEntry> queues;
    result = listQueues(queues);
    for (const QueueEntry& queue : queues) {
      call.out += queue.name + L"\t" + queue.driver + L"\t" + queue.port + L"\n";
    }
  } else if (what == L"monitors") {
    std::vector<MonitorEntry> monitors;
    result = listMonitors(monitors);
    for (const MonitorEntry& monitor : monitors) {
      call.out += monitor.name + L"\t" + monitor.dll + L"\n";
    }
  } else if (what == L"products") {
    std::vector<ProductEntry> products;
    result = listProducts(products);
    for (const ProductEntry& product : products) {
      call.out += product.code + L"\t" + product.name + L"\t" + product.publisher + L"\t" +
                  product.uninstall64.value_or(L"-") + L"\t" + product.uninstall32.value_or(L"-") +
                  L"\n";
    }
  } else {
    throw UsageError{L"list needs ports, drivers, queues, monitors or products, not " + what};
  }
  return result;
}

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {L"add-port",
       {L"<port>"},
       {},
       {L"--monitor"},
       [](Invocation& call) {
         return addPort(call.operands[0],
                        option(call.options, L"--monitor").value_or(kLocalPortMonitor));
       }},
      {L"delete-port",
       {L"<port>"},
       {},
       {},
       [](Invocation& call) { return deletePort(call.operands[0]); }},
      {L"add-driver",
       {L"<driver>"},
       {},
       {},
       [](Invocation& call) { return addDriver(call.operands[0]); }},
      {L"delete-driver",
       {L"<driver>"},
       {},
       {},
       [](Invocation& call) { return deleteDriver(call.operands[0]); }},
      {L"add-queue",
       {L"<queue>"},
       {L"--driver", L"--port"},
       {},
       [](Invocation& call) {
         return addQueue(call.operands[0], call.options.at(L"--driver"),
                         call.options.at(L"--port"));
       }},
      {L"delete-queue",
       {L"<queue>"},
       {},
       {},
       [](Invocation& call) { return deleteQueue(call.operands[0]); }},
      {L"add-monitor",
       {L"<name>"},
       {L"--dll"},
       {},
       [](Invocation& call) {
         return addTestMonitor(call.operands[0], call.options.at(L"--dll"));
       }},
      {L"delete-monitor",
       {L"<name>"},
       {},
       {},
       [](Invocation& call) { return deleteTestMonitor(call.operands[0]); }},
      {L"set-monitor",
       {L"<name>"},
       {},
       {L"--reported-monitor", L"--description", L"--port-type", L"--status", L"--record",
        L"--stop-process-at"},
       [](Invocation& call) {
         MonitorSettings settings;
         settings.reportedMonitor = option(call.options, L"--reported-monitor");
         settings.description = option(call.options, L"--description");
         settings.portType = number(call.options, L"--port-type");
         settings.deletePortStatus = number(call.options, L"--status");
         settings.recordFile = option(call.options, L"--record");
         settings.stopProcessAt = number(call.options, L"--stop-process-at");
         return configureTestMonitor(call.operands[0], settings);
       }},
      {L"add-driver-package",
       {L"<inf file>"},
       {},
       {},
       [](Invocation& call) {
         std::wstring published;
         StepResult result = addDriverPackage(call.operands[0], published);
         if (result.ok()) call.out += published + L"\n";
         return result;
       }},
      {L"list", {L"ports|drivers|queues|monitors|products"}, {}, {}, list},
  };
  return table;
}

bool contains(const std::vector<std::wstring>& names, const std::wstring& name) {
  for (const std::wstring& candidate : names) {
    if (candidate == name) return true;
  }
  return false;
}

// Splits the arguments after the command name into operands and "--name value" options.
Invocation parse(const Command& command, const std::vector<std::wstring>& arguments,
                 std::wstring& out) {
  Invocation call{{}, {}, out};
  for (std::size_t index = 1; index < arguments.size(); ++index) {
    const std::wstring& argument = arguments[index];
    if (argument.starts_with(L"--")) {
      if (!contains(command.required, argument) && !contains(command.optional, argument)) {
        throw UsageError{std::wstring(command.name) + L" has no option " + argument};
      }
      if (index + 1 >= arguments.size()) throw UsageError{argument + L" needs a value"};
      call.options[argument] = arguments[++index];
    } else if (call.operands.size() < command.operands.size()) {
      call.operands.push_back(argument);
    } else {
      throw UsageError{L"too many arguments: " + argument};
    }
  }
  if (call.operands.size() < command.operands.size()) {
    throw UsageError{std::wstring(command.name) + L" needs " +
                     command.operands[call.operands.size()]};
  }
  for (const std::wstring& required : command.required) {
    if (!call.options.contains(required)) {
      throw UsageError{std::wstring(command.name) + L" needs " + required};
    }
  }
  return call;
}

}  // namespace

int runSetupCommand(const std::vector<std::wstring>& arguments, std::wstring& out,
                    std::wstring& err) {
  try {
    if (arguments.empty()) throw UsageError{L"no command given"};
    if (arguments[0] == L"help") {
      out += kUsageText;
      return kExitDone;
    }
    for (const Command& command : commands()) {
      if (arguments[0] != command.name) continue;
      Invocation call = parse(command, arguments, out);
      const StepResult result = command.run(call);
      if (result.ok()) return kExitDone;
      err += L"kvsetup: " + result.call + L" failed with error " + std::to_wstring(result.error) +
             L"\n";
      return kExitCallFailed;
    }
    throw UsageError{L"unknown command: " + arguments[0]};
  } catch (const UsageError& error) {
    err += L"kvsetup: " + error.message + L"\n" + kUsageText;
    return kExitUsage;
  }
}

}  // namespace kv::setup
