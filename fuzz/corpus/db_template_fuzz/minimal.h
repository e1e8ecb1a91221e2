/*#tp_node@*/ { UINT32 sat_id; UINT32 tp_id; UINT32 frq : 16 /*#pos:1@*/; UINT32 sym : 16; }
/*#sat_node@*/ { UINT32 sat_id; UINT16 name_len; UINT8 satname[32] /*#type:string|pos:1@*/; }
/*#prog_node@*/ { UINT32 sat_id; UINT32 tp_id; UINT32 prog_id; UINT32 x : 3 /*#name:"A|B"|pos 2@*/; UINT32 y : 0x1D; }
