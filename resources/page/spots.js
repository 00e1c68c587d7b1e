// The places on the map: the photos that have a position, gathered into spots (a photo's
// position rounded to about a hundred metres, closer than the map's outlines can tell places
// apart), and the spots into a clustering index (supercluster). Many photos share few spots —
// a million photos are taken at far fewer places than that — so the index, the costly part,
// holds the spots, each with its count of photos (bench/places.mjs times both).

import Supercluster from 'supercluster';

// Rounded to a thousandth of a degree.
var spotGrid = 1e3;
// The map's deepest clustering zoom (see worldmap.js); zoomed in further, the map shows spots.
export var mapMaxZoom = 10;

// Spots of the photos in list (photo indexes) with a position in lat/lon (NaN for none):
// { lat, lon: Float64Array per spot, start: Int32Array (spot s holds photos[start[s]..start[s+1]-1]),
//   photos: Int32Array, count }. The spots are found by a hash table of typed arrays: a Map of a
// million keys takes several times as long.
export function gatherSpots(list, lat, lon) {
  var n = list.length;
  var size = 1024;
  while (size < n * 2) size *= 2;
  var mask = size - 1;
  var table = new Int32Array(size).fill(-1);
  var spotA = new Int32Array(Math.min(n, 1 << 16)), spotO = new Int32Array(spotA.length), sizes = new Int32Array(spotA.length);
  var spotOf = new Int32Array(n);
  var count = 0;
  for (var i = 0; i < n; i++) {
    var a = lat[list[i]], o = lon[list[i]];
    // (Also skips NaN, and photos the arrays do not reach yet.)
    if (!(a >= -90 && a <= 90 && o >= -180 && o <= 180)) { spotOf[i] = -1; continue; }
    var ka = Math.round(a * spotGrid), ko = Math.round(o * spotGrid);
    var h = (Math.imul(ka, 73856093) ^ Math.imul(ko, 19349663)) & mask;
    var s;
    while ((s = table[h]) >= 0 && (spotA[s] !== ka || spotO[s] !== ko)) h = (h + 1) & mask;
    if (s < 0) {
      s = count++;
      if (s === spotA.length) {
        var grow = function (old) { var next = new Int32Array(Math.min(n, old.length * 2)); next.set(old); return next; };
        spotA = grow(spotA); spotO = grow(spotO); sizes = grow(sizes);
      }
      table[h] = s;
      spotA[s] = ka;
      spotO[s] = ko;
    }
    sizes[s]++;
    spotOf[i] = s;
  }
  var start = new Int32Array(count + 1);
  for (var t = 0; t < count; t++) start[t + 1] = start[t] + sizes[t];
  var fill = start.slice(0, count);
  var photos = new Int32Array(start[count]);
  for (var j = 0; j < n; j++) if (spotOf[j] >= 0) photos[fill[spotOf[j]]++] = list[j];
  var spotLat = new Float64Array(count), spotLon = new Float64Array(count);
  for (var k = 0; k < count; k++) { spotLat[k] = spotA[k] / spotGrid; spotLon[k] = spotO[k] / spotGrid; }
  return { lat: spotLat, lon: spotLon, start: start, photos: photos, count: count };
}

// The clustering index over the spots; a cluster's n is its photos, a spot's its own.
export function clusterSpots(spots) {
  var points = new Array(spots.count);
  for (var s = 0; s < spots.count; s++) {
    points[s] = { geometry: { coordinates: [spots.lon[s], spots.lat[s]] }, properties: { s: s, n: spots.start[s + 1] - spots.start[s] } };
  }
  return new Supercluster({
    // In the index's units, 512 to a tile of 256 pixels: clusters closer than 32 pixels merge.
    radius: 64,
    maxZoom: mapMaxZoom,
    map: function (p) { return { n: p.n }; },
    reduce: function (into, p) { into.n += p.n; }
  }).load(points);
}

// The photos of a cluster or a spot (as getClusters gives them), as a mask over the photos.
export function clusterPhotos(index, spots, feature, size) {
  var mask = new Uint8Array(size);
  var leaves = feature.properties.cluster ? index.getLeaves(feature.properties.cluster_id, Infinity) : [feature];
  leaves.forEach(function (leaf) {
    var s = leaf.properties.s;
    for (var k = spots.start[s]; k < spots.start[s + 1]; k++) mask[spots.photos[k]] = 1;
  });
  return mask;
}
