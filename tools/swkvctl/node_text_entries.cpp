#include "tools/swkvctl/node_text_entries.h"

#include "tools/swkvctl/node_path.h"
#include "tools/swkvctl/river_calls.h"

namespace swkv::ctl {

std::string ControllerWayFor(int kind, const std::string& path, const std::string& name) {
  if (kind != kKindArray) return "";
  if (name == "name")
    return "'swkvctl invoke " + ShowPath(path) +
           " rename NAME' renames the array in the controller";
  const std::string controller = path.substr(0, path.find('/'));
  if (name == "RAID_Mode" || name == "Block Size")
    return "'swkvctl invoke " + controller + " ConvArray start@" + ShowPath(path) +
           "@MODE@BLOCK@COUNT@DISK...' converts the array in the controller";
  if (name == "Cyls" || name == "Heads" || name == "Sectors")
    return "the controller reports the array's geometry; no action changes it";
  return "";
}

}  // namespace swkv::ctl
