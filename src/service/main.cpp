#include "service/headless.h"

int main(int argc, char* argv[]) {
    return headless::serviceMain(argc, argv);
}
