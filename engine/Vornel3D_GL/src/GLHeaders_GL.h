#pragma once
// The GL headers in the order GLEW needs: GLEW before any other GL header.
#include <GL/glew.h>
#include <GL/glu.h>
