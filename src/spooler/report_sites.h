#pragma once

#include <cstdint>

namespace kv::report_site {

// Every call of vMciReportError passes its own number, so that a trace line names the one place
// in the wrappers that wrote it. Hundreds group the wrappers; the numbers mean nothing else. The
// "Unexpected" sites report an exception stopped at the wrapper's boundary.

// Inventory enumeration.
inline constexpr std::int32_t kConnectionListAllocation = 101;
inline constexpr std::int32_t kConnectionListEnumeration = 102;
inline constexpr std::int32_t kConnectionListDone = 103;
inline constexpr std::int32_t kConnectionListUnexpected = 104;
inline constexpr std::int32_t kQueueListAllocation = 111;
inline constexpr std::int32_t kQueueListEnumeration = 112;
inline constexpr std::int32_t kQueueListDone = 113;
inline constexpr std::int32_t kQueueListUnexpected = 114;
inline constexpr std::int32_t kDriverListAllocation = 121;
inline constexpr std::int32_t kDriverListEnumeration = 122;
inline constexpr std::int32_t kDriverListDone = 123;
inline constexpr std::int32_t kDriverListUnexpected = 124;
inline constexpr std::int32_t kPortListAllocation = 131;
inline constexpr std::int32_t kPortListEnumeration = 132;
inline constexpr std::int32_t kPortListDone = 133;
inline constexpr std::int32_t kPortListUnexpected = 134;
inline constexpr std::int32_t kMachineConnectionListAllocation = 141;
inline constexpr std::int32_t kMachineConnectionListEnumeration = 142;
inline constexpr std::int32_t kMachineConnectionListDone = 143;
inline constexpr std::int32_t kMachineConnectionListUnexpected = 144;

// Removals.
inline constexpr std::int32_t kConnectionDeletion = 201;
inline constexpr std::int32_t kConnectionDeleted = 202;
inline constexpr std::int32_t kConnectionAlreadyGone = 203;
inline constexpr std::int32_t kConnectionUnexpected = 204;
inline constexpr std::int32_t kQueueOpen = 211;
inline constexpr std::int32_t kQueueDeletion = 212;
inline constexpr std::int32_t kQueueDeleted = 213;
inline constexpr std::int32_t kQueueUnexpected = 214;
inline constexpr std::int32_t kDriverDeletion = 221;
inline constexpr std::int32_t kDriverDeleted = 222;
inline constexpr std::int32_t kDriverAlreadyGone = 223;
inline constexpr std::int32_t kDriverUnexpected = 224;
inline constexpr std::int32_t kMonitorOpen = 231;
inline constexpr std::int32_t kMonitorCall = 232;
inline constexpr std::int32_t kMonitorStatus = 233;
inline constexpr std::int32_t kMonitorPortDeleted = 234;
inline constexpr std::int32_t kPortNameTooLong = 235;
inline constexpr std::int32_t kMonitorNameTooLong = 236;
inline constexpr std::int32_t kMonitorUnexpected = 237;
inline constexpr std::int32_t kPortRemoval = 241;
inline constexpr std::int32_t kPortRemoved = 242;
inline constexpr std::int32_t kPortRemovalUnexpected = 243;
inline constexpr std::int32_t kMonitorLookupUnexpected = 251;
inline constexpr std::int32_t kMachineConnectionDeletion = 261;
inline constexpr std::int32_t kMachineConnectionDeleted = 262;
inline constexpr std::int32_t kMachineConnectionUnexpected = 263;

// Queue status checks.
inline constexpr std::int32_t kStatusQueueOpen = 301;
inline constexpr std::int32_t kStatusSizeQuery = 302;
inline constexpr std::int32_t kStatusQuery = 303;
inline constexpr std::int32_t kStatusUnexpected = 304;
inline constexpr std::int32_t kJobsQueueOpen = 311;
inline constexpr std::int32_t kJobsSizeQuery = 312;
inline constexpr std::int32_t kJobsQuery = 313;
inline constexpr std::int32_t kJobsAnswered = 314;
inline constexpr std::int32_t kJobsAllocation = 315;
inline constexpr std::int32_t kJobsUnexpected = 316;
inline constexpr std::int32_t kServerQueueOpen = 321;
inline constexpr std::int32_t kServerQueueQuery = 322;
inline constexpr std::int32_t kServerQueueAnswered = 323;
inline constexpr std::int32_t kServerQueueUnexpected = 324;

}  // namespace kv::report_site
