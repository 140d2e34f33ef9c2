#include "app/pipeline.h"

void StartVersionCheck() {}
void OnProgressTick() {}
void LaunchGame() {}
