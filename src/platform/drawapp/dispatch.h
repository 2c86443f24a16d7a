#pragma once
// The dispatch objects of the in-process application: each is a small view
// (model + the object it stands for) answering members by name as Visio's
// automation interface does.
#include <memory>

#include "model.h"
#include "platform/automation/automation.h"

namespace tw::drawapp {

DispatchPtr makeApplication(std::shared_ptr<Model> model);

}  // namespace tw::drawapp
