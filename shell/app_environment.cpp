#include "shell/app_environment.h"

#include "shred/report.h"
#include "shredlist/mount_points.h"

namespace velmora {

AppEnvironment ReadAppEnvironment() {
  AppEnvironment env;
  env.program = ReadProgramPaths();
  env.report_path = ReportPathIn(env.program.folder);
  env.mount_points = ReadMountPoints();
  env.addresses = BuiltInAddresses();
  return env;
}

}  // namespace velmora
