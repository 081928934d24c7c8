/* The module player's C interface: the 23 entry points the intro binds by
 * name, and the values that pass through them. Every truth value is 32 bits
 * wide, non-zero meaning success; after every call BASSMOD_ErrorGetCode tells
 * why the call failed, or PLAYER_OK. */
#ifndef CORVANE_PLAYER_API_H
#define CORVANE_PLAYER_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t PlayerSync; /* handle of a sync; 0 is none */
/* Called on the sound thread as the mix reaches the sync's point. It must be
 * short and must not call BASSMOD_Free. */
typedef void (*PlayerSyncProc)(PlayerSync handle, uint32_t data, uint32_t user);

#define PLAYER_VERSION 0x00070000u

/* BASSMOD_MusicLoad and BASSMOD_MusicPlayEx flags */
#define PLAYER_MUSIC_RAMP 0x1u      /* normal volume ramping */
#define PLAYER_MUSIC_RAMPS 0x2u     /* softer (longer) volume ramping */
#define PLAYER_MUSIC_LOOP 0x4u      /* loop: follow the song's own jump back */
#define PLAYER_MUSIC_POSRESET 0x100u /* stop all notes when the position moves */

/* A position is the order in the low 16 bits and the row in the high 16. */
#define PLAYER_POSITION(order, row) ((uint32_t)(order) | ((uint32_t)(row) << 16))

/* BASSMOD_MusicSetSync types; PLAYER_SYNC_ONETIME may be or'ed in */
#define PLAYER_SYNC_POS 0u       /* param: a position; data: that position */
#define PLAYER_SYNC_END 2u       /* data: 1 when the song loops, 0 when it ends */
#define PLAYER_SYNC_ONETIME 0x80000000u

/* BASSMOD_MusicIsActive results */
#define PLAYER_ACTIVE_STOPPED 0u
#define PLAYER_ACTIVE_PLAYING 1u
#define PLAYER_ACTIVE_PAUSED 3u

/* BASSMOD_ErrorGetCode results */
#define PLAYER_OK 0
#define PLAYER_ERROR_MEMORY 1          /* out of memory */
#define PLAYER_ERROR_FILEOPEN 2        /* the file could not be opened or read */
#define PLAYER_ERROR_DRIVER 3          /* no sound driver could be started */
#define PLAYER_ERROR_DEVICE_OPEN 4     /* the output device could not be opened */
#define PLAYER_ERROR_FORMAT 5          /* the output rate is not supported */
#define PLAYER_ERROR_INIT 6            /* BASSMOD_Init has not succeeded */
#define PLAYER_ERROR_ALREADY 7         /* already initialised */
#define PLAYER_ERROR_NO_MUSIC 8        /* no music is loaded */
#define PLAYER_ERROR_FILEFORMAT 9      /* not a module the player can play */
#define PLAYER_ERROR_POSITION 10       /* the position is not in the song */
#define PLAYER_ERROR_ILLEGAL_PARAM 11  /* an argument is out of range */
#define PLAYER_ERROR_ILLEGAL_DEVICE 12 /* no device has that number */
#define PLAYER_ERROR_NOT_PLAYING 13    /* the music is not playing */
#define PLAYER_ERROR_WRONG_THREAD 14   /* not allowed from a sync callback */
#define PLAYER_ERROR_UNKNOWN (-1)

uint32_t BASSMOD_GetVersion(void);
/* Device -1 is the system's default output, 0 and up the output devices.
 * The text stays valid until the next call; NULL when there is no such device. */
const char* BASSMOD_GetDeviceDescription(int32_t device);
int32_t BASSMOD_ErrorGetCode(void);
/* Opens the output at rate (8000-192000) as 16-bit stereo and starts the sound
 * thread; no flags are defined, pass 0. */
int32_t BASSMOD_Init(int32_t device, uint32_t rate, uint32_t flags);
/* Frees the music and closes the output; safe at any time, even twice. */
void BASSMOD_Free(void);
float BASSMOD_GetCPU(void); /* share of the sound thread's time spent mixing, in percent */
int32_t BASSMOD_GetVolume(void); /* 0-100, -1 when not initialised */
int32_t BASSMOD_SetVolume(uint32_t volume);
/* fromMemory: "file" points at length bytes; otherwise it is a path, read from
 * offset for length bytes (0: to the end). */
int32_t BASSMOD_MusicLoad(int32_t fromMemory, const void* file, uint32_t offset, uint32_t length, uint32_t flags);
void BASSMOD_MusicFree(void);
int32_t BASSMOD_MusicPlay(void);
/* position 0xFFFFFFFF keeps the current one; flags -1 keep the music's flags */
int32_t BASSMOD_MusicPlayEx(uint32_t position, int32_t flags, int32_t reset);
int32_t BASSMOD_MusicSetAmplify(uint32_t amplify);     /* 0-100, 50 as mixed */
int32_t BASSMOD_MusicSetPanSep(uint32_t separation);   /* 0 mono - 100 full */
int32_t BASSMOD_MusicSetPositionScaler(uint32_t scale); /* 1-256 */
uint32_t BASSMOD_MusicIsActive(void);
int32_t BASSMOD_MusicStop(void);
int32_t BASSMOD_MusicPause(void);
/* playLength 0: number of orders; otherwise bytes of output for one pass */
uint32_t BASSMOD_MusicGetLength(int32_t playLength);
int32_t BASSMOD_MusicSetPosition(uint32_t position);
/* order in the low 16 bits, row times the position scaler (plus the part of
 * the row played) in the high 16; 0xFFFFFFFF when no music is loaded */
uint32_t BASSMOD_MusicGetPosition(void);
PlayerSync BASSMOD_MusicSetSync(uint32_t type, uint32_t param, PlayerSyncProc proc, uint32_t user);
int32_t BASSMOD_MusicRemoveSync(PlayerSync sync);

#ifdef __cplusplus
}
#endif

#endif
