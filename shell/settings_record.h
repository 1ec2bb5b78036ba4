// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A saved record kept as one value of the user's settings: the report
// keeper's as "ReportIdentity", the free-space fill's as "FreeSpaceFill".
#include "platform/platform.h"
#include "report/report_keeper.h"

namespace velmora {

inline constexpr const char* kReportIdentityKey = "ReportIdentity";
inline constexpr const char* kFreeSpaceFillKey = "FreeSpaceFill";

class SettingsRecord : public ReportRecordStore {
 public:
  SettingsRecord(SettingsStore& settings, const char* key) : settings_(settings), key_(key) {}
  // The record is ASCII: it passes through a QString unchanged.
  std::string Read() override {
    std::optional<QString> value = settings_.Read(key_);
    return value ? value->toStdString() : std::string();
  }
  bool Write(const std::string& record) override { return settings_.Write(key_, QString::fromStdString(record)); }

 private:
  SettingsStore& settings_;
  const char* key_;
};

}  // namespace velmora
