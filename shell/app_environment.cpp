#include "shell/app_environment.h"

#include "shred/report.h"
#include "platform/program_location.h"
#include "shred/report_location.h"
#include "platform/mount_points.h"

namespace velmora {

AppEnvironment ReadAppEnvironment() {
  AppEnvironment env;
  env.program = ReadProgramPaths();
  env.report_path = ReportPathIn(ChooseReportFolder(env.program.folder, UserStateFolder()));
  env.mount_points = ReadMountPoints();
  env.addresses = BuiltInAddresses();
  return env;
}

}  // namespace velmora
