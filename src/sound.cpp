// Effects and the queued announcer.
#include "TethrixExtern.h"

void LoadSound(const char *) {}
void PlaySoundFile(const char *) {}
void PlaySoundFileAnnouncer(const char *) {}
void SoundIdle() {}
