// The places on the map: the photos that have a position, gathered into spots (a photo's
// position rounded to about ten metres, closer than the map ever draws apart), and the spots
// into a clustering index (supercluster). Many photos share few spots — a million photos are
// taken at far fewer places than that — so the index, the costly part, holds the spots, each
// with its count of photos.

// Rounded to a ten-thousandth of a degree.
var spotGrid = 1e4;
// The map's deepest zoom, where the index stops clustering (see worldmap.js).
var mapMaxZoom = 12;

// Spots of the photos in list (photo indexes) with a position in lat/lon (NaN for none):
// { lat, lon: Float64Array per spot, start: Int32Array (spot s holds photos[start[s]..start[s+1]-1]),
//   photos: Int32Array, count }.
function gatherSpots(list, lat, lon) {
  var index = new Map();
  var spotOf = new Int32Array(list.length).fill(-1);
  var spotLat = [], spotLon = [], sizes = [];
  for (var i = 0; i < list.length; i++) {
    var a = lat[list[i]], o = lon[list[i]];
    // (Also skips NaN, and photos the arrays do not reach yet.)
    if (!(a >= -90 && a <= 90 && o >= -180 && o <= 180)) continue;
    var ka = Math.round(a * spotGrid), ko = Math.round(o * spotGrid);
    var key = ka * 3600001 + ko;
    var s = index.get(key);
    if (s === undefined) {
      s = sizes.length;
      index.set(key, s);
      spotLat.push(ka / spotGrid);
      spotLon.push(ko / spotGrid);
      sizes.push(0);
    }
    sizes[s]++;
    spotOf[i] = s;
  }
  var n = sizes.length;
  var start = new Int32Array(n + 1);
  for (var t = 0; t < n; t++) start[t + 1] = start[t] + sizes[t];
  var fill = start.slice(0, n);
  var photos = new Int32Array(start[n]);
  for (var j = 0; j < list.length; j++) if (spotOf[j] >= 0) photos[fill[spotOf[j]]++] = list[j];
  return { lat: Float64Array.from(spotLat), lon: Float64Array.from(spotLon), start: start, photos: photos, count: n };
}

// The clustering index over the spots; a cluster's n is its photos, a spot's its own.
function clusterSpots(spots) {
  var points = new Array(spots.count);
  for (var s = 0; s < spots.count; s++) {
    points[s] = { geometry: { coordinates: [spots.lon[s], spots.lat[s]] }, properties: { s: s, n: spots.start[s + 1] - spots.start[s] } };
  }
  return new Supercluster({
    radius: 48,
    maxZoom: mapMaxZoom,
    map: function (p) { return { n: p.n }; },
    reduce: function (into, p) { into.n += p.n; }
  }).load(points);
}

// The photos of a cluster or a spot (as getClusters gives them), as a mask over the photos.
function clusterPhotos(index, spots, feature, size) {
  var mask = new Uint8Array(size);
  var leaves = feature.properties.cluster ? index.getLeaves(feature.properties.cluster_id, Infinity) : [feature];
  leaves.forEach(function (leaf) {
    var s = leaf.properties.s;
    for (var k = spots.start[s]; k < spots.start[s + 1]; k++) mask[spots.photos[k]] = 1;
  });
  return mask;
}
