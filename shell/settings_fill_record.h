// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record of fill folders, kept in the user's settings as "FreeSpaceFill"
// beside the report's.
#include "platform/platform.h"
#include "shred/report_keeper.h"

namespace velmora {

inline constexpr const char* kFreeSpaceFillKey = "FreeSpaceFill";

class SettingsFillRecord : public ReportRecordStore {
 public:
  explicit SettingsFillRecord(SettingsStore& settings) : settings_(settings) {}
  // The record is ASCII: it passes through a QString unchanged.
  std::string Read() override {
    std::optional<QString> value = settings_.Read(kFreeSpaceFillKey);
    return value ? value->toStdString() : std::string();
  }
  bool Write(const std::string& record) override {
    return settings_.Write(kFreeSpaceFillKey, QString::fromStdString(record));
  }

 private:
  SettingsStore& settings_;
};

}  // namespace velmora
