// The controller's calls: opening and closing, events and the update flag, information, and the
// settings.
#include <algorithm>
#include <cstring>

#include "sim/call.h"
#include "sim/fill.h"
#include "sim/sim_control.h"
#include "sim/simulator.h"

using namespace swkv::sim;

namespace {

// A setting read with 0, or written with 1 from *value within [low, high]; *value is left as the
// value taken. A switch takes any non-zero value as 1.
int32_t Setting(Fn fn, int32_t write, int32_t* value, int32_t Settings::*field, int32_t low,
                int32_t high, bool isSwitch = false) {
  return Call(fn, Args(write, value)).Outputs(value).Run([&](Context& ctx) {
    int32_t& current = ctx.controller->settings.*field;
    if (write == 0) {
      *value = current;
      return 0;
    }
    int32_t v = isSwitch && *value != 0 ? 1 : *value;
    if (write != 1 || v < low || v > high) return int32_t{SIM_E_ARGUMENT};
    current = *value = v;
    return 0;
  });
}

// A setting the component only reads; its first argument is always 0.
int32_t ReadOnly(Fn fn, int32_t zero, int32_t* value, int32_t Settings::*field) {
  return Call(fn, Args(zero, value)).Outputs(value).Run([&](Context& ctx) {
    *value = ctx.controller->settings.*field;
    return 0;
  });
}

}  // namespace

extern "C" {

RAEXPORT int32_t RAAPI raInitialize(int32_t** selection) {
  int index = selection && *selection ? **selection : -1;
  std::string args = !selection ? "null" : !*selection ? "&null" : "&";
  if (selection && *selection) args += std::to_string(index);
  return Call(Fn::Initialize, args).Selecting(index).Run([&](Context& ctx) {
    if (!selection || !*selection) return int32_t{SIM_E_ARGUMENT};
    // A failed open leaves the open controller as it was.
    if (!ctx.controller) return int32_t{SIM_E_NOT_OPEN};
    ctx.sim.openController() = index;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raTerminate(int32_t* selection) {
  return Call(Fn::Terminate, Args(selection)).Selecting(Call::kOpenOne).Run([&](Context& ctx) {
    if (ctx.sim.openController() < 0) return int32_t{SIM_E_NOT_OPEN};
    ctx.sim.openController() = -1;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raNeedUpdate(int32_t* flag) {
  // Reports whether the configuration changed since the last call, and clears the flag.
  return Call(Fn::NeedUpdate, Args(flag)).Outputs(flag).Run([&](Context& ctx) {
    *flag = ctx.controller->updatePending ? 1 : 0;
    ctx.controller->updatePending = false;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raGetEvents(RaEventRecord* records, int32_t* count) {
  return Call(Fn::GetEvents, Args(records, count)).Outputs(count).Run([&](Context& ctx) {
    if (!records) return int32_t{SIM_E_ARGUMENT};
    auto& queue = ctx.controller->events;
    std::size_t n = std::min<std::size_t>(queue.size(), RA_MAX_EVENTS);
    std::size_t written = ctx.effect.count ? std::size_t{RA_MAX_EVENTS} : n;
    for (std::size_t i = 0; i < written; ++i) {
      Event e = i < n ? queue[i] : Event{-1, 2, "filler record " + std::to_string(i)};
      RaEventRecord& r = records[i];
      std::memset(&r, 0, sizeof r);
      r.code = e.code;
      r.severityClass = e.severity;
      FillText(r.text, sizeof r.text, e.text, ctx.effect.unterminated);
    }
    queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(n));
    *count = ctx.effect.count ? ctx.effect.countValue : static_cast<int32_t>(n);
    return 0;
  });
}

RAEXPORT int32_t RAAPI raClearLog(void) {
  return Call(Fn::ClearLog, Args()).Run([&](Context& ctx) {
    ctx.controller->events.clear();
    return 0;
  });
}

RAEXPORT int32_t RAAPI raGetControllerInfo(int32_t controller, RaControllerInfo* info) {
  return Call(Fn::GetControllerInfo, Args(controller, info)).On(controller).Run([&](Context& ctx) {
    if (!info) return int32_t{SIM_E_ARGUMENT};
    if (!ctx.controller) return int32_t{SIM_E_NOT_OPEN};
    *info = ctx.controller->info;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raGetDriverVersion(char* version, char* second) {
  return Call(Fn::GetDriverVersion, Args(version, second)).Run([&](Context& ctx) {
    if (!version || !second) return int32_t{SIM_E_ARGUMENT};
    FillText(version, RA_VERSION_SIZE, ctx.controller->version, ctx.effect.unterminated);
    FillText(second, RA_VERSION_SIZE, ctx.controller->versionDetail, ctx.effect.unterminated);
    return 0;
  });
}

RAEXPORT int32_t RAAPI raGetMaxChannelsPerAdapter(int32_t* count) {
  return Call(Fn::GetMaxChannelsPerAdapter, Args(count)).Outputs(count).Run([&](Context&) {
    *count = kChannels;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raCheckBatteryBackModule(int32_t* present) {
  return Call(Fn::CheckBatteryBackModule, Args(present)).Outputs(present).Run([&](Context& ctx) {
    *present = ctx.controller->battery.module ? 1 : 0;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raCheckBatteryPack(int32_t* present) {
  return Call(Fn::CheckBatteryPack, Args(present)).Outputs(present).Run([&](Context& ctx) {
    const Battery& b = ctx.controller->battery;
    *present = b.module && b.pack ? 1 : 0;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raOriginalChannelCount(int32_t zero, int32_t* value) {
  return ReadOnly(Fn::OriginalChannelCount, zero, value, &Settings::originalChannels);
}

RAEXPORT int32_t RAAPI raWriteCacheEnabled(int32_t zero, int32_t* value) {
  return ReadOnly(Fn::WriteCacheEnabled, zero, value, &Settings::writeCache);
}

RAEXPORT int32_t RAAPI raHotSparesEnabled(int32_t zero, int32_t* value) {
  return ReadOnly(Fn::HotSparesEnabled, zero, value, &Settings::hotSpares);
}

RAEXPORT int32_t RAAPI raGetRebuildRate(int32_t zero, int32_t* value) {
  return ReadOnly(Fn::GetRebuildRate, zero, value, &Settings::rebuildRate);
}

RAEXPORT int32_t RAAPI raSetRebuildRate(int32_t zero, int32_t value) {
  return Call(Fn::SetRebuildRate, Args(zero, value)).Run([&](Context& ctx) {
    // 255 is what a controller that does not keep a rate reports; it cannot be set.
    if (value < 0 || value > 254) return int32_t{SIM_E_ARGUMENT};
    ctx.controller->settings.rebuildRate = value;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raChannelThreshold(int32_t write, int32_t* value) {
  return Setting(Fn::ChannelThreshold, write, value, &Settings::channelThreshold, 0, 254);
}

RAEXPORT int32_t RAAPI raSmartCheckEnabled(int32_t write, int32_t* value) {
  return Setting(Fn::SmartCheckEnabled, write, value, &Settings::smartCheck, 0, 1, true);
}

RAEXPORT int32_t RAAPI raReadThreshold(int32_t write, int32_t* value) {
  return Setting(Fn::ReadThreshold, write, value, &Settings::readThreshold, 0, 254);
}

RAEXPORT int32_t RAAPI raWriteThreshold(int32_t write, int32_t* value) {
  return Setting(Fn::WriteThreshold, write, value, &Settings::writeThreshold, 0, 254);
}

RAEXPORT int32_t RAAPI raSubmitChannelThreshold(int32_t write, int32_t* value) {
  return Setting(Fn::SubmitChannelThreshold, write, value, &Settings::submitChannelThreshold, 0,
                 254);
}

RAEXPORT int32_t RAAPI raWriteMode(int32_t write, int32_t* value) {
  return Setting(Fn::WriteMode, write, value, &Settings::writeMode, 0, 1);
}

}  // extern "C"
