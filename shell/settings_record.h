// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report keeper's record, kept in the user's settings as "ReportIdentity".
#include "platform/platform.h"
#include "shred/report_keeper.h"

namespace velmora {

inline constexpr const char* kReportIdentityKey = "ReportIdentity";

class SettingsReportRecord : public ReportRecordStore {
 public:
  explicit SettingsReportRecord(SettingsStore& settings) : settings_(settings) {}
  // The record is ASCII: it passes through a QString unchanged.
  std::string Read() override {
    std::optional<QString> value = settings_.Read(kReportIdentityKey);
    return value ? value->toStdString() : std::string();
  }
  bool Write(const std::string& record) override {
    return settings_.Write(kReportIdentityKey, QString::fromStdString(record));
  }

 private:
  SettingsStore& settings_;
};

}  // namespace velmora
