#pragma once
// The extension of the plug-in files the edition under test loads, as a
// string literal to join with names ("pnm" SPI_EXT), so that the same tests
// run on both editions.  Spelled out here rather than taken from the host,
// so a test still notices a host that looks for the wrong kind.
#ifdef _WIN64
#define SPI_EXT ".sph"
#define SPI_EXT_UPPER ".SPH"
#define SPI_EXT_MIXED ".Sph"
#define SPI_OTHER_EXT ".spi"
#else
#define SPI_EXT ".spi"
#define SPI_EXT_UPPER ".SPI"
#define SPI_EXT_MIXED ".Spi"
#define SPI_OTHER_EXT ".sph"
#endif
