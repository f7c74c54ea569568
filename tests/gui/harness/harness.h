#pragma once

// Everything the GUI tests need: include "harness/harness.h".
#include "a11y.h"
#include "environment.h"
#include "error.h"
#include "focus_events.h"
#include "image_check.h"
#include "interaction.h"
#include "keystroke_listener.h"
#include "net.h"
#include "proc_table.h"
#include "process.h"
#include "session.h"
#include "temp_dir.h"
#include "unique_fd.h"
#include "wait.h"
#include "xdo.h"
