#pragma once
// Every kind of control the program's forms are made of, one file pair each. Each raises its events through
// std::function members (`OnClick`, `OnKeyUp`, ...) that its owner wires to its handlers.
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Edit.h"
#include "ui/GroupBox.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Panel.h"
#include "ui/RadioGroup.h"
#include "ui/ScrollBar.h"
