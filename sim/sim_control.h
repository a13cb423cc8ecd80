/* The simulated controller library's test API.
 *
 * The simulated library (libraidapikv9k.so / raidapikv9k.dll) answers the controller interface of
 * raidlib/raidapikv9k.h from a small model of up to two controllers. These extra functions, all
 * prefixed "sim", let a test or a host program steer that model: load a scenario, restart, stop
 * and move the clock, make calls fail or misbehave, and count calls. The component never calls
 * them; a test links them from the same library.
 *
 * Environment, read when the library is first used and again by simReset:
 *   SWKV_SIM_SCENARIO  the scenario file (JSON, see sim/README.md); the embedded default otherwise.
 *   SWKV_SIM_STATE     a state file: the model is loaded from it and saved to it after every
 * change, under an exclusive lock (the file name plus ".lock"), so that successive and concurrent
 * processes share one controller. SWKV_SIM_TRACE     a file that gets one line per library call.
 *   SWKV_SIM_CLOCK     "wall" (default): the model's clock follows the wall clock.
 *                      "manual": the clock stands still and moves only by simAdvanceClock; with a
 *                      state file it starts where the previous manual process left it.
 *                      "manual+N": as "manual", moved on by N seconds when the process starts, so
 *                      a test that runs separate processes can step time between them.
 */
#ifndef SWKV_SIM_SIM_CONTROL_H
#define SWKV_SIM_SIM_CONTROL_H

#include <stdint.h>

#include "raidlib/raidapikv9k.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Statuses of the simulated library's own failures (0 is success, as everywhere). */
enum {
  SIM_E_NOT_OPEN = 1,     /* no controller is open, or the index names no controller */
  SIM_E_ARGUMENT = 2,     /* a null pointer, a value out of range, a mode it does not know */
  SIM_E_NO_OBJECT = 3,    /* no such array, disk or device */
  SIM_E_STATE = 4,        /* refused in the present state: disks not free, array busy or down */
  SIM_E_UNAVAILABLE = 5,  /* the scenario or the state file was refused; see simLastError */
  SIM_E_INJECTED = 0x7E57 /* the default status of a call failed on request */
};

/* Misbehaviours a call can be given (simMisbehave). */
enum {
  /* Report value as the count while filling the whole room (20 events, 8 numbers): raGetEvents,
   * raEnumerateAllArrays, raEnumerateDisksInArray, raEnumerateAllDisks. */
  SIM_MISBEHAVE_COUNT = 1,
  /* Fill every byte of the text buffers without a NUL: raGetDeviceName (64), raGetArrayInfo's name
   * (64), raGetDriverVersion (256 each), raGetEvents' texts (128). */
  SIM_MISBEHAVE_UNTERMINATED = 2,
  /* Replace the output-th value the call writes (counted from 0 in the order of its parameters)
   * by value: unknown state, activity, type, timing, SMART or charge codes, absurd readings; the
   * first byte of raGetDeviceName's name (0: the empty name). */
  SIM_MISBEHAVE_OUTPUT = 3,
  /* Succeed without writing any of the values the call lists (its texts and records are filled
   * as usual): the caller's variables keep what they held. */
  SIM_MISBEHAVE_SILENT = 4
};

/* Starts the model afresh from a scenario (JSON text, or a file), with the faults the scenario
 * names; the clock and the call counts are kept, and no controller is open. 0, or
 * SIM_E_UNAVAILABLE with the reason in simLastError (and on stderr); after a refusal every library
 * call fails until a scenario loads. With a state file the new model replaces the file's contents,
 * even contents the library could not read. */
RAEXPORT int32_t simLoadScenarioText(const char* json);
RAEXPORT int32_t simLoadScenarioFile(const char* path);

/* Starts over as a fresh process would: reads the environment again, forgets the faults, the
 * counts, the open controller and the clock setting, and loads the configured scenario. A state
 * file is replaced by the fresh model (also one that could not be read). 0 or SIM_E_UNAVAILABLE. */
RAEXPORT int32_t simReset(void);

/* The message of the last refusal (scenario, state file, action), or "" when there was none.
 * Valid until the next call of the test API. */
RAEXPORT const char* simLastError(void);

/* The clock. Stopping freezes the model's time; advancing moves it (stopped or not) and lets the
 * model catch up at once: activities progress and finish, timeline entries fall due. simNow is the
 * clock's time in milliseconds since 1970. simStartClock lets a stopped clock run on from where it
 * stands. simFollowClock makes the simulator read time from the host's clock function
 * (milliseconds since 1970), so that it keeps step with a host's test clock; null returns to its
 * own clock. */
RAEXPORT void simStopClock(void);
RAEXPORT void simStartClock(void);
RAEXPORT void simAdvanceClock(int64_t milliseconds);
RAEXPORT int64_t simNow(void);
RAEXPORT void simFollowClock(int64_t (*now)(void));

/* Makes calls of function (its name, "raGetArrayStatus") fail with status. controller: the
 * controller the call acts on (0 or 1), or -1 for any. call: 0 for every call, n > 0 for the n-th
 * matching call after this one (once). 0, or SIM_E_ARGUMENT for an unknown function name. */
RAEXPORT int32_t simFailCall(const char* function, int32_t controller, int32_t call,
                             int32_t status);

/* Makes matching calls (as for simFailCall) succeed with a misbehaviour (SIM_MISBEHAVE_*). output
 * is used by SIM_MISBEHAVE_OUTPUT only; value is the reported count or the replacement value. */
RAEXPORT int32_t simMisbehave(const char* function, int32_t controller, int32_t call, int32_t kind,
                              int32_t output, int32_t value);

/* Removes every fault and misbehaviour, also those of the scenario. */
RAEXPORT void simClearFaults(void);

/* Applies one timeline action now (the JSON object of a timeline entry without "at"), e.g.
 * {"controller":0,"disk":2,"do":"fail"} or {"event":{"code":8,"severity":0,"text":"..."}}.
 * 0, or SIM_E_UNAVAILABLE with the reason in simLastError. */
RAEXPORT int32_t simApply(const char* json);

/* Number of calls of function since the process began or the last simResetCallCounts: those that
 * acted on controller 0 or 1, or all of them (-1), including calls with no controller open. -1 for
 * an unknown name. Calls refused by an injected fault count too. */
RAEXPORT int64_t simCallCount(const char* function, int32_t controller);
RAEXPORT void simResetCallCounts(void);

/* The controller the library has open in this process, or -1. */
RAEXPORT int32_t simOpenController(void);

#ifdef __cplusplus
}
#endif

#endif /* SWKV_SIM_SIM_CONTROL_H */
