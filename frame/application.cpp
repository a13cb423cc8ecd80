// The component's application object: its class table, and the start-up and exit the platform
// runs when the module is loaded and unloaded. Nothing else happens at load; the tree is built
// only when the main class is created.
#include "frame/class_factory.h"
#include "frame/main_class.h"
#include "com/module.h"
#include "frame/registry_scripts.h"
#include "platform/module/module_entry.h"
#include "mxaraid/interfaces.h"

namespace swkv {

namespace {

HRESULT CreateMainClassObject(IClassFactory** made) {
  CClassFactory* factory = CClassFactory::Create(&CreateMainClassInstance);
  if (!factory) return E_OUTOFMEMORY;
  *made = factory;
  return S_OK;
}

// The one creatable class. The event log and notification classes of the type library have no
// entry: an IEventLog is reached through a controller node, and IRAIDEvent is the agent's.
ClassEntry g_classes[] = {
    {&CLSID_SwkvRAID, IDR_SWKVRAID, &CreateMainClassObject, nullptr},
};

}  // namespace

void ModuleAttach(HINSTANCE instance) noexcept { Module().Init(g_classes, instance); }

void ModuleDetach() noexcept { Module().Term(); }

}  // namespace swkv
