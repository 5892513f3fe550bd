// The tables of 3-D model data on the hardware road: base models and their
// placed instances. Nothing in the library adds either, so both stay empty;
// the hooks keep the start, device-loss and end orders whole.
#pragma once

#include <cstdint>

namespace veziv {

// Graphics start with a device: both tables emptied and set up. 0.
int InitializeModelData();
// After a lost device came back: the materials' textures and the base
// models' buffers made again. 0.
int RestoreModelTextures();
int RefreshAllModelBases();
// Before the device goes: the base models' device buffers released. 0.
int ReleaseAllModelBaseObjects();
// Library end: every instance, then every base model, and both tables. 0.
int ReleaseAllModels();

namespace detail {
// Handle forms: a base model is 0x08000000 | slot, an instance 0x10000000 | slot.
int IsModelBaseHandle(int handle);
int IsModelInstanceHandle(int handle);
int ModelTablesSetUp();
}  // namespace detail

}  // namespace veziv
