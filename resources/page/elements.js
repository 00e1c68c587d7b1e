// The page's elements that several of its parts find, and set listeners on, as they set
// themselves up: found here, before any of those parts runs.

export var header = document.getElementById('top');
export var wall = document.getElementById('wall');
export var layer = document.getElementById('layer');
export var viewer = document.getElementById('viewer');
export var stage = viewer.querySelector('.stage');
