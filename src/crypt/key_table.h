// The built-in key table: four sub-tables of 256 bytes from which CDes::RetrieveDESKey
// derives the password keys. Encrypting and decrypting sides must share it.
#pragma once

extern const unsigned char g_DesKeyTable[4][256];
