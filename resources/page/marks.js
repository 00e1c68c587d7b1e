// Which years the timeline names. Each year is marked where it starts; when labels would
// crowd, the years that take more of the wall are named first, so a large year is never left
// a dot while a small neighbour gets its label.

// years: [{ year, at, share }] in wall order, at and share as fractions of the wall.
// Returns [{ year, at (pixels), label: true }|{ ..., label: false }], in wall order, with
// labels at least labelGap pixels apart and dots dotGap from other marks; crowded years
// beyond that get no mark.
function yearMarks(years, height, labelGap, dotGap) {
  var byShare = years.map(function (y, i) { return i; }).sort(function (a, b) {
    return years[b].share - years[a].share || a - b;
  });
  var labelled = [];
  var kind = new Array(years.length).fill('');
  function clear(list, at, gap) {
    for (var i = 0; i < list.length; i++) if (Math.abs(list[i] - at) < gap) return false;
    return true;
  }
  byShare.forEach(function (i) {
    var at = years[i].at * height;
    if (years[i].year === years[i].year && clear(labelled, at, labelGap)) { kind[i] = 'label'; labelled.push(at); }
  });
  var dotted = [];
  years.forEach(function (y, i) {
    var at = y.at * height;
    if (kind[i] || !clear(labelled, at, dotGap + 3) || !clear(dotted, at, dotGap)) return;
    kind[i] = 'dot';
    dotted.push(at);
  });
  var marks = [];
  years.forEach(function (y, i) {
    if (kind[i]) marks.push({ year: y.year, at: y.at * height, label: kind[i] === 'label' });
  });
  return marks;
}
