// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/app_environment.h"

#include "platform/mount_points.h"
#include "platform/program_location.h"
#include "shell/user_guide.h"

namespace velmora {

AppEnvironment ReadAppEnvironment() {
  AppEnvironment env;
  env.program = ReadProgramPaths();
  env.state_folder = UserStateFolder();
  env.mount_points = ReadMountPoints();
  env.addresses = BuiltInAddresses();
  env.guide = UserGuidePath(env.program.folder);
  return env;
}

}  // namespace velmora
