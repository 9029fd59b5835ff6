// The math types of the motion subsystem in one include.
#pragma once
#include "motion/Matrix4.h"
#include "motion/Quat.h"
#include "motion/Vec3.h"
