#include "NimbrelApp.h"

int main(int argc, char** argv)
{
    return NimbrelMain(argc, argv);
}
