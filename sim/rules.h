// The controller's rules: what its arrays and disks report, and how configuration changes and
// hardware happenings change them. Changes return 0 or a SIM_E_* status and leave the model
// untouched when they fail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/model.h"

namespace swkv::sim {

// What the controller reports.
bool IsRedundant(int32_t mode);
bool ValidMode(int32_t mode);
bool ValidMemberCount(int32_t mode, std::size_t count);
bool ValidBlockSectors(uint32_t sectors);
uint32_t ArrayStateOf(const Controller& c, const Array& a);
uint32_t ActivityCodeOf(const Array& a);
int32_t ProgressOf(const Array& a, int64_t now);
uint32_t DiskActivityOf(const Controller& c, int disk);
// The members the controller lists: those present and still belonging to the array.
std::vector<uint32_t> ListedMembers(const Controller& c, const Array& a);
// memberSectors and sectors from the members and mode.
void ComputeCapacity(const Controller& c, Array& a);
void DeriveDiskGeometry(Disk& d);
uint16_t ArrayCylinders(const Array& a);
// "disk 2 (channel 1 master)", "array \"Data\"" (or "array 3" when unnamed); Capital() starts a
// sentence with them.
std::string DiskLabel(int disk);
std::string ArrayLabel(const Array& a);
std::string Capital(std::string text);

// Configuration changes the library's calls make.
int32_t CreateArray(Controller& c, int64_t now, const std::string& name, int32_t mode,
                    const std::vector<int>& disks, int32_t blockSectors);
int32_t DeleteArray(Controller& c, uint32_t logical);
int32_t RenameArray(Controller& c, uint32_t logical, const std::string& name);
int32_t RebuildArray(Controller& c, int64_t now, uint32_t logical, uint32_t member, uint32_t mode);
int32_t SynchroniseArray(Controller& c, int64_t now, uint32_t logical, uint32_t mode);
int32_t ConvertArray(Controller& c, int64_t now, uint32_t logical, int32_t targetMode,
                     const std::vector<int>& disks, uint32_t blockSectors, uint32_t mode);

// Activities: completion time (or -1 while none runs), finishing and abandoning.
int64_t TaskEndsAt(const Array& a);
void FinishTask(Controller& c, Array& a);
void AbandonTask(Controller& c, Array& a);
// Starts a spare rebuild on every critical, idle array when hot spares are on and a disk fits.
void StartSpareRebuilds(Controller& c, int64_t now);

// Hardware happenings.
int32_t FailDisk(Controller& c, int64_t now, int disk);
int32_t PullDisk(Controller& c, int64_t now, int disk);
// fresh: a new disk for the slot; null puts the pulled disk back.
int32_t InsertDisk(Controller& c, int64_t now, int disk, const Disk* fresh);
int32_t SetDiskSmart(Controller& c, int disk, uint32_t smart);
void SetBayReadings(Controller& c, int channel, const Bay& next);

}  // namespace swkv::sim
