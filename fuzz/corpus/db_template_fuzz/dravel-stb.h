/*
 * Node records of the Dravel reference receiver.
 *
 * Each node structure is introduced by its marker comment; every field may carry an attribute
 * comment with its display name, its column position and whether it is hidden from the
 * channel list. Fields are packed back to back; integer fields stay inside one 32-bit word.
 * The three id words come first in every node, then the fixed region (whose last words are kept
 * in the file only for terrestrial nodes), then the variable parts: a 16-bit count followed by
 * its array or text.
 */

#ifndef DRAVEL_STB_NODES_H
#define DRAVEL_STB_NODES_H

typedef unsigned int UINT32;
typedef unsigned short UINT16;
typedef unsigned char UINT8;

/* ---- transponder ------------------------------------------------------------------------ */
typedef struct
/*#tp_node@*/
{
    UINT32 sat_id               /*#pos:4|masked:1@*/;
    UINT32 tp_id                /*#pos:5|masked:1@*/;
    UINT32 frq        : 16      /*#pos:1@*/;        // MHz, 3000..13450
    UINT32 sym        : 16      /*#pos:2@*/;        // kS/s, 1000..45000
    UINT32 pol        : 2       /*#pos:3@*/;        // 0 horizontal, 1 vertical
    UINT32 fec        : 4       /*#pos:8|masked:1@*/;
    UINT32 modulation : 2       /*#pos:9|masked:1@*/;
    UINT32 tp_spare   : 24;
    /* terrestrial transponders only */
    UINT32 dvbt_frq   : 24      /*#pos:6@*/;        // kHz
    UINT32 bandwidth  : 8       /*#pos:7@*/;        // MHz, 6..8
} TP_NODE;

/* ---- satellite -------------------------------------------------------------------------- */
typedef struct
/*#sat_node@*/
{
    UINT32 sat_id               /*#pos:2|masked:1@*/;
    UINT32 lnb_low    : 16      /*#pos:4@*/;        // MHz
    UINT32 lnb_high   : 16      /*#pos:5@*/;        // MHz
    UINT32 sat_orbit  : 16      /*#pos:7@*/;        // tenths of a degree on a 0..3600 circle
    UINT32 position   : 8       /*#pos:6@*/;        // 0..59
    UINT32 lnb_type   : 8       /*#pos:3@*/;        // 0 standard, 16 user, 32 universal
    UINT32 DiSEqC_type : 4      /*#pos:8@*/;
    UINT32 DiSEqC_port : 4      /*#pos:9@*/;
    UINT32 k22        : 1       /*#pos:10@*/;
    UINT32 v12        : 1       /*#pos:11@*/;
    UINT32 toneburst  : 2       /*#pos:12@*/;
    UINT32 tuner1_valid : 1     /*#pos:13@*/;
    UINT32 tuner2_valid : 1     /*#pos:14@*/;
    UINT32 selected_flag : 1    /*#pos:15@*/;
    UINT32 sat_spare  : 17;
    UINT16 name_len             /*#pos:16|masked:1@*/;
    UINT8  satname [32]         /*#type:string|pos:1@*/;
} SAT_NODE;

/* ---- program ---------------------------------------------------------------------------- */
typedef struct
/*#prog_node@*/
{
    UINT32 sat_id               /*#pos:13|masked:1@*/;
    UINT32 tp_id                /*#pos:14|masked:1@*/;
    UINT32 prog_id              /*#pos:15|masked:1@*/;
    UINT32 service_id : 16      /*#name:Service ID|pos:3@*/;
    UINT32 video_pid  : 16      /*#name:Video Pid|pos:4@*/;
    UINT32 audio_pid1 : 16      /*#name:Audio Pid1|pos:5@*/;
    UINT32 audio_pid2 : 16      /*#name:Audio Pid2|pos:6@*/;
    UINT32 audio_pid3 : 16      /*#name:Audio Pid3|pos:7@*/;
    UINT32 pcr_pid    : 16      /*#name:PCR Pid|pos:8@*/;
    UINT32 fav_group            /*#name:Favorite Group|pos:9@*/;   // bit g-1: member of group g
    UINT32 service_type : 8     /*#name:Service Type|pos:2|type:bool@*/;  // 1 TV, 0 radio
    UINT32 scramble   : 1       /*#name:Scramble|pos:10@*/;
    UINT32 factory    : 1       /*#name:Factory|pos:11@*/;
    UINT32 lock       : 1       /*#name:Lock|pos:12@*/;
    UINT32 prog_spare : 21;
    /* terrestrial programs only */
    UINT32 lcn        : 16      /*#pos:17|masked:1@*/;
    UINT32 t_onid     : 16      /*#pos:18|masked:1@*/;
    UINT32 t_tsid     : 16      /*#pos:19|masked:1@*/;
    UINT32 t_flags    : 16      /*#pos:20|masked:1@*/;
    /* variable parts */
    UINT16 name_len             /*#pos:16|masked:1@*/;
    UINT8  service_name[32]     /*#type:string|name:Service Name|pos:1@*/;
    UINT16 audio_count          /*#pos:21|masked:1@*/;
    UINT16 audio_type[3]        /*#pos:22|masked:1@*/;
    UINT16 audio_lang[3]        /*#pos:23|masked:1@*/;
    UINT16 cas_count            /*#pos:24|masked:1@*/;
    UINT16 cas_sysid[4]         /*#pos:25|masked:1@*/;
    UINT16 provider_name_len    /*#pos:26|masked:1@*/;
    UINT8  service_provider_name[32] /*#type:string|pos:27|masked:1@*/;
} PROG_NODE;

/* ---- defaults for a new program --------------------------------------------------------- */
typedef struct
/*#def_prog_node@*/
{
    UINT32 video_pid  : 16      /*#name:Video Pid@*/;
    UINT32 audio_pid1 : 16      /*#name:Audio Pid1@*/;
    UINT32 pcr_pid    : 16      /*#name:PCR Pid@*/;
    UINT32 service_type : 8     /*#name:Service Type@*/;
    UINT32 def_spare  : 8;
    UINT8  default_name[32]     /*#type:string|name:Service Name@*/;
} DEF_PROG_NODE;

#endif
