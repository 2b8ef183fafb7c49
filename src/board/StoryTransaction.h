#pragma once

// The transaction belongs to the model; board code keeps including it by this name.
#include "model/StoryTransaction.h"
