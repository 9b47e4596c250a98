// The whole widget toolkit.
#pragma once

#include "ui/controls.h"
#include "ui/factories.h"
#include "ui/label.h"
#include "ui/layout.h"
#include "ui/looks.h"
#include "ui/scroll.h"
#include "ui/style.h"
#include "ui/text_input.h"
#include "ui/widget.h"
